// The saver window: class, run and preview parameters, the message loop and
// the first link of the message chain.
#include "host/fault_guard.h"
#include "host/host_internal.h"
#include "resources/resource.h"

HWND saverWindow;
BOOL inPreview;
UINT autoPlayMessage;
HMODULE imeModule;
ImmAssociateContextFn associateContext;
HIMC savedImeContext;
POINT mouseReference;

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

static void FillSaverClass(WNDCLASSA* wc)
{
    wc->style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc->lpfnWndProc = SaverWindowProc;
    wc->cbClsExtra = 0;
    wc->cbWndExtra = 0;
    wc->hInstance = moduleInstance;
    wc->hIcon = LoadIconA(moduleInstance, MAKEINTRESOURCEA(IDI_CLASS));
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

int RunSaverWindow(HWND parent)
{
    WNDCLASSA wc;
    FillSaverClass(&wc);
    WindowPlacement place;
    if (parent) {
        PreviewPlacement(parent, &place);
        inPreview = TRUE;
    } else {
        RunPlacement(&place);
        if (ActivateOtherSaver()) return 0;
        LoadPasswordProvider();
    }
    autoPlayMessage = is95Family ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;
    if (RegisterClassA(&wc))
        saverWindow = CreateWindowExA(place.exStyle, saverClassName, place.title, place.style,
                                      place.x, place.y, place.width, place.height, parent, NULL,
                                      moduleInstance, NULL);
    if (saverWindow == NULL) {
        UnloadPasswordProvider();
        return 1;  // nothing was shown
    }
    if (!inPreview) SetForegroundWindow(saverWindow);
    MSG message;
    message.wParam = 0;
    while (GetMessageA(&message, NULL, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    UnloadPasswordProvider();
    return (int)message.wParam;
}

BOOL SaverInPreview()
{
    return inPreview;
}

static void HideCursorOutsidePreview()
{
    if (!inPreview) SetCursor(NULL);
}

// The input method is only detached when the process already has IMM32.DLL;
// the host never loads it.
static void DetachInputMethod(HWND hwnd)
{
    imeModule = GetModuleHandleA("IMM32.DLL");
    if (imeModule == NULL) return;
    associateContext =
        (ImmAssociateContextFn)(void*)GetProcAddress(imeModule, "ImmAssociateContext");
    if (associateContext == NULL) return;
    savedImeContext = associateContext(hwnd, NULL);
}

static void RestoreInputMethod(HWND hwnd)
{
    if (imeModule && associateContext && savedImeContext) associateContext(hwnd, savedImeContext);
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
        GetCursorPos(&mouseReference);
        HideCursorOutsidePreview();
        break;
    case WM_DESTROY:
        RestoreInputMethod(hwnd);
        PostQuitMessage(0);
        break;
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        if (isClosing) return DefWindowProcA(hwnd, message, wParam, lParam);
        HideCursorOutsidePreview();
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (inPreview) return PassToParent(hwnd, message, lParam);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (isClosing) return DefWindowProcA(hwnd, message, wParam, lParam);
        break;
    case WM_SYSCOMMAND:
        if (!inPreview && IsSwallowedCommand(wParam)) return 0;
        break;
    case WM_TIMER:
        if (isClosing) return 0;
        Sleep(0);
        break;
    default:
        break;
    }
    return LauncherSaverProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK SaverWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return GuardedProcedure(SaverWindowBody, hwnd, message, wParam, lParam);
}
