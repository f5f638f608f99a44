/* Looks at a running program from the Windows side, for scripts/windows-window-smoke.sh under wine:
 *   window_probe window TITLE   prints the client area of the top-level window with exactly that title as
 *                               "width height left top" (screen coordinates); exit status 1 while there is none
 *   window_probe clipboard      prints the clipboard's text as UTF-8; exit status 1 when it holds no text */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static int printClientArea(const wchar_t* title) {
    HWND window = FindWindowW(NULL, title);
    RECT client;
    POINT origin = {0, 0};
    if (window == NULL || !IsWindowVisible(window) || !GetClientRect(window, &client) ||
        !ClientToScreen(window, &origin))
        return 1;
    printf("%ld %ld %ld %ld\n", client.right - client.left, client.bottom - client.top, origin.x, origin.y);
    return 0;
}

static int printClipboardText(void) {
    int status = 1;
    if (!OpenClipboard(NULL))
        return 1;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* text = data != NULL ? (const wchar_t*)GlobalLock(data) : NULL;
    if (text != NULL) {
        char utf8[65536];
        if (WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL) > 0) {
            fputs(utf8, stdout);
            status = 0;
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    return status;
}

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && wcscmp(argv[1], L"window") == 0)
        return printClientArea(argv[2]);
    if (argc == 2 && wcscmp(argv[1], L"clipboard") == 0)
        return printClipboardText();
    fputs("usage: window_probe window TITLE | window_probe clipboard\n", stderr);
    return 2;
}
