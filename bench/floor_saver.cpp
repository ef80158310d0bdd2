// The floor of the benchmark: the least a screen saver can do. A topmost
// full-screen popup of the same class and title as the real saver, painted
// black, with no cursor, that closes on the first key. Built with the same
// toolchain and flags as the .scr, so the difference between the two is what
// the saver adds.
#include <windows.h>

static LRESULT CALLBACK FloorWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetCursor(NULL);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, (HBRUSH)GetStockObject(BLACK_BRUSH));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = FloorWindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = "WindowsScreenSaverClass";
    if (!RegisterClassA(&wc)) ExitProcess(1);

    HDC screen = GetDC(NULL);
    RECT box;
    GetClipBox(screen, &box);
    ReleaseDC(NULL, screen);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, "WindowsScreenSaverClass", "Screen Saver",
                                WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                box.left, box.top, box.right - box.left, box.bottom - box.top,
                                NULL, NULL, instance, NULL);
    if (!hwnd) ExitProcess(1);
    SetForegroundWindow(hwnd);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ExitProcess((UINT)msg.wParam);
}
