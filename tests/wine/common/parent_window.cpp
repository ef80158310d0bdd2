// A preview parent window on a thread of this test, recording what it receives.
#include "parent_window.h"

#include "saver_windows.h"
#include "wait_until.h"

namespace {

const char parentClass[] = "VelkaroTestPreviewParent";

struct ParentStart { ParentWindow* owner; int width, height; HANDLE ready; };

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ParentWindow* owner = (ParentWindow*)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    switch (message) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (owner) owner->Record(ParentMessage{message, wParam, lParam});
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

DWORD WINAPI ParentThread(void* param)
{
    ParentStart* start = (ParentStart*)param;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    wc.lpszClassName = parentClass;
    RegisterClassA(&wc);
    RECT r = {0, 0, start->width, start->height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND w = CreateWindowExA(0, parentClass, "preview parent",
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100,
                             r.right - r.left, r.bottom - r.top, NULL, NULL, wc.hInstance, NULL);
    if (w) SetWindowLongPtrA(w, GWLP_USERDATA, (LONG_PTR)start->owner);
    start->owner->window = w;
    SetEvent(start->ready);
    MSG msg;
    while (w && GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

BOOL CALLBACK AddChild(HWND child, LPARAM lp)
{
    char className[256] = "";
    GetClassNameA(child, className, sizeof className);
    ChildWindow c = {child, className, WindowText(child), (DWORD)GetWindowLongA(child, GWL_STYLE),
                     (DWORD)GetWindowLongA(child, GWL_EXSTYLE), {}};
    GetWindowRect(child, &c.rect);
    MapWindowPoints(NULL, GetParent(child), (POINT*)&c.rect, 2);
    ((std::vector<ChildWindow>*)lp)->push_back(c);
    return TRUE;
}

}  // namespace

ParentWindow::ParentWindow() { InitializeCriticalSection(&lock); }

void ParentWindow::Record(const ParentMessage& m)
{
    EnterCriticalSection(&lock);
    received.push_back(m);
    LeaveCriticalSection(&lock);
}

bool ParentWindow::Create(int width, int height)
{
    ParentStart start = {this, width, height, CreateEventA(NULL, TRUE, FALSE, NULL)};
    thread = CreateThread(NULL, 0, ParentThread, &start, 0, NULL);
    if (thread) WaitForSingleObject(start.ready, 10000);
    CloseHandle(start.ready);
    return window != NULL;
}

void ParentWindow::Destroy()
{
    if (window && IsWindow(window)) PostMessageA(window, WM_CLOSE, 0, 0);
    window = NULL;
    if (thread) {
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        thread = NULL;
    }
}

std::vector<ChildWindow> ParentWindow::Children()
{
    std::vector<ChildWindow> children;
    if (window) EnumChildWindows(window, AddChild, (LPARAM)&children);
    return children;
}

bool ParentWindow::WaitForMessage(const ParentMessage& expected, DWORD timeoutMs)
{
    return WaitUntil([&] {
        EnterCriticalSection(&lock);
        bool found = false;
        for (const ParentMessage& m : received)
            found = found || (m.message == expected.message && m.wParam == expected.wParam &&
                              m.lParam == expected.lParam);
        LeaveCriticalSection(&lock);
        return found;
    }, timeoutMs);
}

ParentWindow::~ParentWindow()
{
    Destroy();
    DeleteCriticalSection(&lock);
}
