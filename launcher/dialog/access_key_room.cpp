// The dialog's layout was made for its texts without access keys. A text that
// carries one in the Japanese form, "(&B)", is wider by the "(B)" it shows, and
// a label or button sized to the words alone would cut or wrap it; so each such
// control grows by exactly that width, and its words keep the room they had.
// A right-aligned label grows to the left, staying against the field it names;
// the others grow to the right. A group box's frame already has the room.
#include "launcher/dialog/access_key_room.h"

#include <string.h>

// The mark as the control shows it, e.g. "(B)"; 0 when its text has none.
// '(' and '&' are below every trail byte, so the search suits any code page.
static int ShownMark(HWND control, char* shown)
{
    char text[512] = "";
    GetWindowTextA(control, text, sizeof text);
    const char* mark = strstr(text, "(&");
    if (!mark || !mark[2] || mark[3] != ')') return 0;
    shown[0] = '(';
    shown[1] = mark[2];
    shown[2] = ')';
    return 1;
}

static int MarkWidth(HWND control, const char* shown)
{
    HDC dc = GetDC(control);
    if (!dc) return 0;
    HFONT font = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
    HGDIOBJ old = font ? SelectObject(dc, font) : NULL;
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, shown, 3, &size);
    if (old) SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

static int HasClass(HWND control, const char* name)
{
    char found[16] = "";
    GetClassNameA(control, found, sizeof found);
    return lstrcmpiA(found, name) == 0;
}

static void Widen(HWND dialog, HWND control, int width)
{
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (HasClass(control, "Button") && (style & BS_TYPEMASK) == BS_GROUPBOX) return;
    int left = HasClass(control, "Static") && (style & SS_TYPEMASK) == SS_RIGHT;
    RECT r, client;
    GetWindowRect(control, &r);
    MapWindowPoints(NULL, dialog, (POINT*)&r, 2);
    GetClientRect(dialog, &client);
    if (left)
        r.left = r.left - width > 0 ? r.left - width : 0;
    else
        r.right = r.right + width < client.right ? r.right + width : client.right;
    MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
}

void MakeRoomForAccessKeys(HWND dialog)
{
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char shown[4] = "";
        if (ShownMark(c, shown)) Widen(dialog, c, MarkWidth(c, shown));
    }
}
