/* Runs one Windows command line exactly as given, waits for it and ends with its exit status, for
 * scripts/windows-installer-check.sh under wine: installers take "/D=" and "_?=" only unquoted and last, which
 * wine's own way of joining arguments cannot give.
 *   run_command_line "COMMAND LINE" */
#include <stdio.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        fwprintf(stderr, L"usage: run_command_line \"COMMAND LINE\"\n");
        return 255;
    }
    STARTUPINFOW startup = {.cb = sizeof startup};
    PROCESS_INFORMATION process;
    if (!CreateProcessW(NULL, argv[1], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        fwprintf(stderr, L"cannot run %ls (%lu)\n", argv[1], GetLastError());
        return 255;
    }
    DWORD status = 255;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)status;
}
