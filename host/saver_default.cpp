// The last link of the message chain: closing rules and the password check.
// Keeps the saver window's preview and closing state, which the window's own
// procedure asks for.
#include "host/host_internal.h"

// The closing rules' state, for the one saver window of the process.
struct SaverRules {
    BOOL inPreview;
    UINT autoPlayMessage;  // registered on the 95 family only
    POINT mouseReference;  // mouse travel is measured from here
    BOOL isClosing;        // the close is confirmed
    BOOL inPasswordCheck;
    DWORD lastCheckTick;
};
static SaverRules rules = {FALSE, 0, {0, 0}, FALSE, FALSE, 0xFFFFFFFF /* no check yet */};

static const DWORD recheckInterval = 200;  // ms after a check, closes are refused
static const DWORD mouseMoveThreshold = 4;  // pixels, x and y distances added

void BeginSaverRules(BOOL preview)
{
    rules.inPreview = preview;
    // On the 95 family the saver guards the desktop itself (the password
    // provider), so an inserted disc's AutoPlay waits for the close; on the
    // NT family the system does that, and the query goes to DefWindowProcA.
    rules.autoPlayMessage = Is95Family() ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;
}

BOOL SaverInPreview()
{
    return rules.inPreview;
}

BOOL SaverClosing()
{
    return rules.isClosing;
}

void ResetMouseReference()
{
    GetCursorPos(&rules.mouseReference);
}

static void PostClose(HWND hwnd)
{
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

static DWORD Distance(LONG a, LONG b)
{
    // 32-bit wrap-around, without signed overflow.
    DWORD d = (DWORD)a - (DWORD)b;
    return (LONG)d < 0 ? 0u - d : d;
}

// Travel is measured from mouseReference, which moves only when it closes, so
// slow movement adds up.
static void CheckMouseTravel(HWND hwnd)
{
    POINT now;
    GetCursorPos(&now);
    POINT& from = rules.mouseReference;
    DWORD travel = Distance(now.x, from.x) + Distance(now.y, from.y);
    if (travel > mouseMoveThreshold) {
        PostClose(hwnd);
        rules.mouseReference = now;
    }
}

// Returns TRUE when the message is finished with the given result.
static BOOL ApplyClosingRules(HWND hwnd, UINT message, WPARAM wParam, LRESULT* result)
{
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam) SetCursor(NULL);
        break;
    case WM_ACTIVATEAPP:
        if (wParam == 0) PostClose(hwnd);
        break;
    case WM_SETCURSOR:
        SetCursor(NULL);
        *result = 1;
        return TRUE;
    case WM_POWER:
        if (wParam == PWR_CRITICALRESUME) PostClose(hwnd);
        break;
    case WM_POWERBROADCAST:
        // A setting's report comes only to a window that asked for it (the
        // display's state, first at once): not a power event.
        if (wParam != PBT_POWERSETTINGCHANGE) PostClose(hwnd);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        PostClose(hwnd);
        break;
    case WM_MOUSEMOVE:
        CheckMouseTravel(hwnd);
        break;
    default:
        break;
    }
    return FALSE;
}

static LRESULT DefaultTail(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (rules.autoPlayMessage != 0 && message == rules.autoPlayMessage) {
        PostClose(hwnd);
        return PasswordVerifier() ? 1 : 0;  // 1 cancels AutoPlay
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

static BOOL ConfirmClose(HWND hwnd);

LRESULT SaverDefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (rules.inPreview || rules.isClosing) return DefaultTail(hwnd, message, wParam, lParam);
    if (message == WM_CLOSE) {
        if (Is95Family() && !ConfirmClose(hwnd)) {
            ResetMouseReference();
            return 0;
        }
        return DefaultTail(hwnd, message, wParam, lParam);
    }
    if (message == SaverVerifyMessage && Is95Family()) {
        VerifyScreenSavePwdFn verify = PasswordVerifier();
        return verify ? verify(hwnd) : 1;
    }
    if (!rules.inPasswordCheck) {
        LRESULT result = 0;
        if (ApplyClosingRules(hwnd, message, wParam, &result)) return result;
    }
    return DefaultTail(hwnd, message, wParam, lParam);
}

static BOOL ConfirmClose(HWND hwnd)
{
    if (rules.inPasswordCheck || rules.isClosing) return 0;
    if (PasswordVerifier() == NULL) {
        rules.isClosing = TRUE;
        return 1;
    }
    DWORD now = GetTickCount();
    if (rules.lastCheckTick != 0xFFFFFFFF && now - rules.lastCheckTick < recheckInterval)
        return rules.isClosing;
    rules.inPasswordCheck = TRUE;
    // Timer messages already queued would run during the provider's dialog.
    // Each call drops one; a timer has at most one tick pending, and the
    // application may run two (the launcher's music and external saver).
    MSG pending;
    PeekMessageA(&pending, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&pending, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    LRESULT accepted = SendMessageA(hwnd, SaverVerifyMessage, 0, 0);
    rules.isClosing = accepted != 0;
    rules.inPasswordCheck = FALSE;
    if (!accepted) SetCursor(NULL);
    rules.lastCheckTick = GetTickCount();
    return rules.isClosing;
}
