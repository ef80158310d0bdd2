// Looking at the windows of another process as a user would, and keys sent to them.
#include "window_probe.h"

#include "test_process.h"
#include "wait_until.h"

std::wstring WideText(HWND window)
{
    wchar_t text[2048];
    int n = GetWindowTextW(window, text, 2048);
    return std::wstring(text, n > 0 ? n : 0);
}

COLORREF CentrePixel(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    HDC screen = GetDC(NULL);
    COLORREF c = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ReleaseDC(NULL, screen);
    return c;
}

int DpiAwareness(HWND window)
{
    return GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(window));
}

bool Answered(HWND window, DWORD timeoutMs)
{
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, NULL) != 0;
}

bool PressKeyIn(HWND window, WORD virtualKey, WORD modifier)
{
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
    if (!WaitUntil([&] { return GetForegroundWindow() == window; }, 5000)) return false;
    SendKeyPress(virtualKey, modifier);
    return true;
}

DWORD ExitOnKey(TestProcess* saver, HWND window, DWORD timeoutMs)
{
    return PressKeyIn(window) ? saver->ExitCode(timeoutMs) : 0xBAD;
}

void ParkCursor()
{
    POINT p;
    SetCursorPos(parkX, parkY);
    WaitUntil([&] { return GetCursorPos(&p) && p.x == parkX && p.y == parkY; }, 2000);
}
