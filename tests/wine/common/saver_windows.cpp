// Windows of the saver and of its boxes, found and awaited from outside.
#include "saver_windows.h"

#include "wait_until.h"

typedef std::pair<const std::function<bool(HWND)>*, HWND> Search;

static BOOL CALLBACK MatchTopLevel(HWND w, LPARAM lp)
{
    Search* q = (Search*)lp;
    if (!(*q->first)(w)) return TRUE;
    q->second = w;
    return FALSE;
}

bool IsWindowOf(HWND window, const char* className, DWORD pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[256] = "";
    GetClassNameA(window, cls, sizeof cls);
    return (!pid || owner == pid) && (!className || lstrcmpA(cls, className) == 0);
}

HWND WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD timeoutMs)
{
    Search q(&match, NULL);
    WaitUntil([&] { EnumWindows(MatchTopLevel, (LPARAM)&q); return q.second != NULL; }, timeoutMs);
    return q.second;
}

HWND WaitForWindow(const char* className, const char* title, DWORD pid, DWORD timeoutMs)
{
    return WaitForTopLevel([&](HWND w) {
        return IsWindowOf(w, className, pid) && (!title || WindowText(w) == title);
    }, timeoutMs);
}

HWND WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(window); }, timeoutMs) ? NULL : window;
}

HWND WaitForPreviewChild(HWND parent, HANDLE saverProcess, DWORD timeoutMs)
{
    HWND child = NULL;
    WaitUntil([&] {
        child = FindWindowExA(parent, NULL, "WindowsScreenSaverClass", "Preview");
        if (child && !IsWindowVisible(child)) child = NULL;
        return child || WaitForSingleObject(saverProcess, 0) == WAIT_OBJECT_0;
    }, timeoutMs);
    return child;
}

std::string WindowText(HWND window)
{
    char text[4096] = "";
    // Through a message, so that the text of a window of another process is read.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000,
                        NULL);
    return text;
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs, std::string* text, std::string* caption)
{
    HWND box = WaitForWindow("#32770", NULL, pid, timeoutMs);
    if (box && caption) *caption = WindowText(box);
    if (box && text) *text = WindowText(GetDlgItem(box, boxTextId));
    return box;
}

void CloseMessageBox(HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); }

HWND WaitForSaverWindow(DWORD pid, DWORD timeoutMs)
{
    return WaitForTopLevel([&](HWND w) {
        return IsWindowOf(w, "WindowsScreenSaverClass", pid) && IsWindowVisible(w) &&
               WindowText(w) == "Screen Saver";
    }, timeoutMs);
}

bool IsAbove(HWND a, HWND b)
{
    for (HWND w = GetWindow(a, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == b) return true;
    return false;
}
