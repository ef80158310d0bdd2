// A saver started with "/p" is to cover its parent's whole client area, but
// some compute their size in other units (or at another DPI) and cover only
// part of it. No notice comes when another program sizes its own child, so
// the saver looks again on each tick of a timer.
#include "launcher/saver/hosted_picture.h"

void FitHostedPicture(HWND hwnd)
{
    RECT client;
    GetClientRect(hwnd, &client);
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(NULL, hwnd, (POINT*)&r, 2);
        if (EqualRect(&r, &client)) continue;
        // Left to the other program's thread: one that hangs never holds
        // the saver window.
        SetWindowPos(child, NULL, 0, 0, client.right, client.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    }
}
