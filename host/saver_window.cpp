// The saver window: class, run and preview parameters, the message loop and
// the first link of the message chain.
#include "host/fault_guard.h"
#include "host/host_internal.h"
#include "resources/resource.h"

typedef HIMC(WINAPI* ImmAssociateContextFn)(HWND, HIMC);
typedef DPI_AWARENESS_CONTEXT(WINAPI* SetThreadDpiAwarenessContextFn)(DPI_AWARENESS_CONTEXT);

// The saver window's own state: the application's procedure and the input
// method detached from the window while it lives.
struct SaverWindowState {
    LRESULT (*appProc)(HWND, UINT, WPARAM, LPARAM);
    HMODULE imeModule;
    ImmAssociateContextFn associateContext;
    HIMC savedImeContext;
};
static SaverWindowState saver;

static const char saverClassName[] = "WindowsScreenSaverClass";
static const char runTitle[] = "Screen Saver";
static const char previewTitle[] = "Preview";

static const DWORD previewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;  // 0x52000000
static const DWORD runStyle =
    WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;  // 0x96000000

struct WindowPlacement {
    int x, y, width, height;
    DWORD style, exStyle;
    const char* title;
};

static LRESULT CALLBACK SaverWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

static void FillSaverClass(WNDCLASSA* wc, HINSTANCE instance)
{
    wc->style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc->lpfnWndProc = SaverWindowProc;
    wc->cbClsExtra = 0;
    wc->cbWndExtra = 0;
    wc->hInstance = instance;
    // Icon 100 is not among the resources (the file's icon is group 102): the
    // class stays without an icon, as other programs have always seen it.
    wc->hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_CLASS));
    wc->hCursor = NULL;
    wc->hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc->lpszMenuName = NULL;
    wc->lpszClassName = saverClassName;
}

static void PreviewPlacement(HWND parent, WindowPlacement* place)
{
    RECT client;
    GetClientRect(parent, &client);
    *place = {0, 0, client.right, client.bottom, previewStyle, 0, previewTitle};
}

static void RunPlacement(WindowPlacement* place)
{
    RECT clip;
    HDC screen = GetDC(NULL);
    GetClipBox(screen, &clip);
    ReleaseDC(NULL, screen);
    // Left and top are taken as they are, even when negative.
    *place = {clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top,
              runStyle,  WS_EX_TOPMOST, runTitle};
}

// A run-mode saver window that is already up is brought to the front.
static BOOL ActivateOtherSaver()
{
    HWND other = FindWindowA(saverClassName, runTitle);
    if (other == NULL || !IsWindow(other)) return FALSE;
    SetForegroundWindow(other);
    return TRUE;
}

// The thread's DPI awareness for the windows it creates from now on; the
// previous one, or null where the system has no such call (before Windows
// 10 1607), which changes nothing.
static DPI_AWARENESS_CONTEXT SetThreadAwareness(DPI_AWARENESS_CONTEXT context)
{
    HMODULE user = GetModuleHandleA("user32.dll");
    SetThreadDpiAwarenessContextFn set =
        user ? (SetThreadDpiAwarenessContextFn)(void*)GetProcAddress(
                   user, "SetThreadDpiAwarenessContext")
             : NULL;
    return set ? set(context) : NULL;
}

static HWND CreateSaverWindow(const SaverApp* app, HINSTANCE instance, HWND parent)
{
    // In run mode the application may want the window DPI-unaware: the
    // placement is then measured in the same scaled units as the window.
    BOOL unaware = app->prepareSaverWindow ? app->prepareSaverWindow() : FALSE;
    DPI_AWARENESS_CONTEXT previous =
        unaware && !parent ? SetThreadAwareness(DPI_AWARENESS_CONTEXT_UNAWARE) : NULL;
    WindowPlacement place;
    if (parent)
        PreviewPlacement(parent, &place);
    else
        RunPlacement(&place);
    WNDCLASSA wc;
    FillSaverClass(&wc, instance);
    HWND window = NULL;
    if (RegisterClassA(&wc))
        window = CreateWindowExA(place.exStyle, saverClassName, place.title, place.style, place.x,
                                 place.y, place.width, place.height, parent, NULL, instance, NULL);
    // The window keeps its awareness; the thread goes back to the program's.
    if (previous) SetThreadAwareness(previous);
    return window;
}

int RunSaverWindow(const SaverApp* app, HINSTANCE instance, HWND parent)
{
    saver.appProc = app->saverProc;
    if (!parent) {
        if (ActivateOtherSaver()) return 0;
        LoadPasswordProvider();
    }
    BeginSaverRules(parent != NULL);
    HWND window = CreateSaverWindow(app, instance, parent);
    if (window == NULL) {
        UnloadPasswordProvider();
        return 1;  // nothing was shown
    }
    if (!parent) SetForegroundWindow(window);
    MSG message;
    message.wParam = 0;
    while (GetMessageA(&message, NULL, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    UnloadPasswordProvider();
    return (int)message.wParam;
}

static void HideCursorOutsidePreview()
{
    if (!SaverInPreview()) SetCursor(NULL);
}

// The input method is only detached when the process already has IMM32.DLL;
// the host never loads it.
static void DetachInputMethod(HWND hwnd)
{
    saver.imeModule = GetModuleHandleA("IMM32.DLL");
    if (saver.imeModule == NULL) return;
    saver.associateContext =
        (ImmAssociateContextFn)(void*)GetProcAddress(saver.imeModule, "ImmAssociateContext");
    if (saver.associateContext == NULL) return;
    saver.savedImeContext = saver.associateContext(hwnd, NULL);
}

static void RestoreInputMethod(HWND hwnd)
{
    if (saver.imeModule && saver.associateContext && saver.savedImeContext)
        saver.associateContext(hwnd, saver.savedImeContext);
}

// WM_HELP and WM_CONTEXTMENU of the preview child belong to the parent.
static LRESULT PassToParent(HWND hwnd, UINT message, LPARAM lParam)
{
    HWND parent = GetParent(hwnd);
    if (parent && IsWindow(parent)) PostMessageA(parent, message, (WPARAM)parent, lParam);
    return 1;
}

static BOOL IsSwallowedCommand(WPARAM command)
{
    return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

static LRESULT CALLBACK SaverWindowBody(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        DetachInputMethod(hwnd);
        ResetMouseReference();
        HideCursorOutsidePreview();
        break;
    case WM_DESTROY:
        RestoreInputMethod(hwnd);
        PostQuitMessage(0);
        break;
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        if (SaverClosing()) return DefWindowProcA(hwnd, message, wParam, lParam);
        HideCursorOutsidePreview();
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (SaverInPreview()) return PassToParent(hwnd, message, lParam);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (SaverClosing()) return DefWindowProcA(hwnd, message, wParam, lParam);
        break;
    case WM_SYSCOMMAND:
        if (!SaverInPreview() && IsSwallowedCommand(wParam)) return 0;
        break;
    case WM_TIMER:
        if (SaverClosing()) return 0;
        // Gives the rest of the time slice on each tick to programs of the
        // same priority that are ready: timer work never crowds them out.
        Sleep(0);
        break;
    default:
        break;
    }
    return saver.appProc(hwnd, message, wParam, lParam);
}

static LRESULT CALLBACK SaverWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return GuardedProcedure(SaverWindowBody, hwnd, message, wParam, lParam);
}
