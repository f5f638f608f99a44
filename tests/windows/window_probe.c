/* Looks at a running program from the Windows side, for scripts/windows-window-smoke.sh under wine:
 *   window_probe window TITLE   prints the client area of the top-level window with exactly that title as
 *                               "width height left top" (screen coordinates); exit status 1 while there is none
 *   window_probe state TITLE    prints "minimised" or "normal", then "taskbar" or "no-taskbar": whether the shell
 *                               gives the window a taskbar button and an Alt+Tab entry; exit status 1 while there
 *                               is no such window
 *   window_probe restore TITLE  does what a click on a minimised window's taskbar button does: restore, activate
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

/* The shell's rule: an unowned or WS_EX_APPWINDOW window gets a button, unless it is a tool window that does not
 * ask for one with WS_EX_APPWINDOW. */
static int printState(const wchar_t* title) {
    HWND window = FindWindowW(NULL, title);
    if (window == NULL)
        return 1;
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    const int appWindow = (exStyle & WS_EX_APPWINDOW) != 0;
    const int taskbar = appWindow || (GetWindow(window, GW_OWNER) == NULL && !(exStyle & WS_EX_TOOLWINDOW));
    printf("%s %s\n", IsIconic(window) ? "minimised" : "normal", taskbar ? "taskbar" : "no-taskbar");
    return 0;
}

static int restoreWindow(const wchar_t* title) {
    HWND window = FindWindowW(NULL, title);
    if (window == NULL)
        return 1;
    if (IsIconic(window))
        SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(window);
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
    if (argc == 3 && wcscmp(argv[1], L"state") == 0)
        return printState(argv[2]);
    if (argc == 3 && wcscmp(argv[1], L"restore") == 0)
        return restoreWindow(argv[2]);
    if (argc == 2 && wcscmp(argv[1], L"clipboard") == 0)
        return printClipboardText();
    fputs("usage: window_probe window|state|restore TITLE | window_probe clipboard\n", stderr);
    return 2;
}
