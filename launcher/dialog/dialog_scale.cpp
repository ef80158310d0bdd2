// Windows 10 from 1703 lays a per-monitor (v2) aware dialog out again when it
// moves to a monitor of another DPI. Windows 8.1 and the earlier 10s give the
// program per-monitor (v1) awareness instead and only send WM_DPICHANGED:
// there the dialog moves and sizes its controls and scales its font itself,
// so that it keeps its layout at any scale instead of shrinking or growing.
#include "launcher/dialog/dialog_scale.h"

static int dialogDpi;      // the DPI the dialog is laid out for
static HFONT scaledFont;   // its font at that DPI, once rescaled

void NoteDialogDpi(HWND dialog)
{
    // A per-monitor (v1) dialog is created at the system's DPI.
    HDC dc = GetDC(dialog);
    dialogDpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(dialog, dc);
}

// Whether the system lays the dialog out itself (per-monitor v2).
static BOOL SystemScalesDialog(HWND dialog)
{
    HMODULE user = GetModuleHandleA("user32.dll");
    if (!user) return FALSE;
    auto contextOf = (decltype(&::GetWindowDpiAwarenessContext))(void*)GetProcAddress(
        user, "GetWindowDpiAwarenessContext");
    auto same = (decltype(&::AreDpiAwarenessContextsEqual))(void*)GetProcAddress(
        user, "AreDpiAwarenessContextsEqual");
    return contextOf && same &&
           same(contextOf(dialog), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

// The dialog's font with its height scaled from one DPI to another.
static HFONT ScaledFont(HWND dialog, int from, int to)
{
    LOGFONTW font;
    HFONT current = (HFONT)SendMessageW(dialog, WM_GETFONT, 0, 0);
    if (!current || !GetObjectW(current, sizeof font, &font)) return NULL;
    font.lfHeight = MulDiv(font.lfHeight, to, from);
    return CreateFontIndirectW(&font);
}

static int Scale(int value, int to)
{
    return MulDiv(value, to, dialogDpi);
}

BOOL RescaleDialog(HWND dialog, int dpi, const RECT* suggested)
{
    if (dpi <= 0 || dialogDpi <= 0 || SystemScalesDialog(dialog)) return FALSE;
    HFONT font = ScaledFont(dialog, dialogDpi, dpi);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(NULL, dialog, (POINT*)&r, 2);
        MoveWindow(child, Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.right - r.left, dpi),
                   Scale(r.bottom - r.top, dpi), FALSE);
        if (font) SendMessageW(child, WM_SETFONT, (WPARAM)font, FALSE);
    }
    if (font) {
        SendMessageW(dialog, WM_SETFONT, (WPARAM)font, FALSE);
        ReleaseDialogFont();
        scaledFont = font;
    }
    dialogDpi = dpi;
    if (suggested)
        SetWindowPos(dialog, NULL, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(dialog, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return TRUE;
}

void ReleaseDialogFont()
{
    if (scaledFont) DeleteObject(scaledFont);
    scaledFont = NULL;
}
