// The last link of the message chain: closing rules and the password check.
#include "host/host_internal.h"

BOOL isClosing;
static BOOL inPasswordCheck;
static DWORD lastCheckTick = 0xFFFFFFFF;  // no check yet

static const DWORD recheckInterval = 200;  // ms after a check, closes are refused
static const DWORD mouseMoveThreshold = 4;  // pixels, x and y distances added

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
    DWORD travel = Distance(now.x, mouseReference.x) + Distance(now.y, mouseReference.y);
    if (travel > mouseMoveThreshold) {
        PostClose(hwnd);
        mouseReference = now;
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
    if (autoPlayMessage != 0 && message == autoPlayMessage) {
        PostClose(hwnd);
        return passwordVerifier ? 1 : 0;  // 1 cancels AutoPlay
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT SaverDefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (inPreview || isClosing) return DefaultTail(hwnd, message, wParam, lParam);
    if (message == WM_CLOSE) {
        if (is95Family && !ConfirmClose(hwnd)) {
            GetCursorPos(&mouseReference);
            return 0;
        }
        return DefaultTail(hwnd, message, wParam, lParam);
    }
    if (message == SaverVerifyMessage && is95Family)
        return passwordVerifier ? passwordVerifier(hwnd) : 1;
    if (!inPasswordCheck) {
        LRESULT result = 0;
        if (ApplyClosingRules(hwnd, message, wParam, &result)) return result;
    }
    return DefaultTail(hwnd, message, wParam, lParam);
}

BOOL ConfirmClose(HWND hwnd)
{
    if (inPasswordCheck || isClosing) return 0;
    if (passwordVerifier == NULL) {
        isClosing = TRUE;
        return 1;
    }
    DWORD now = GetTickCount();
    if (lastCheckTick != 0xFFFFFFFF && now - lastCheckTick < recheckInterval) return isClosing;
    inPasswordCheck = TRUE;
    // Timer messages already queued would run during the provider's dialog.
    MSG pending;
    PeekMessageA(&pending, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&pending, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    LRESULT accepted = SendMessageA(hwnd, SaverVerifyMessage, 0, 0);
    isClosing = accepted != 0;
    inPasswordCheck = FALSE;
    if (!accepted) SetCursor(NULL);
    lastCheckTick = GetTickCount();
    return isClosing;
}
