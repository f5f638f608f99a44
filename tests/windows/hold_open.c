/* Keeps files open, or Kelvara's running mutex, for scripts/windows-installer-check.sh under wine:
 *   hold_open STOP_FILE --mutex          holds the mutex that the running Kelvara holds
 *   hold_open STOP_FILE FILE...          keeps each FILE open for reading, shared for reading only, as a
 *                                        program that reads it would; it can be neither replaced nor renamed
 * Prints "ready" once everything is held, then holds it until STOP_FILE exists. Exit status 1 when a file
 * cannot be opened. */
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: hold_open STOP_FILE --mutex | FILE...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        if (wcscmp(argv[i], L"--mutex") == 0) {
            if (CreateMutexW(NULL, FALSE, L"Global\\Norvane.Kelvara.Running") == NULL)
                return 1;
        } else if (CreateFileW(argv[i], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL) ==
                   INVALID_HANDLE_VALUE) {
            fwprintf(stderr, L"cannot open %ls (%lu)\n", argv[i], GetLastError());
            return 1;
        }
    }
    printf("ready\n");
    fflush(stdout);
    while (GetFileAttributesW(argv[1]) == INVALID_FILE_ATTRIBUTES)
        Sleep(100);
    return 0;
}
