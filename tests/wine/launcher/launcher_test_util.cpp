#include "launcher_test_util.h"

#include <algorithm>

void ParkCursor()
{
    SetCursorPos(parkX, parkY);
    WaitUntil([] {
        POINT p;
        return GetCursorPos(&p) && p.x == parkX && p.y == parkY;
    }, 2000);
}

int CountLines(const std::string& log, const std::string& needle)
{
    std::string text = ReadText(log);
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        count++;
    return count;
}

int Count(const std::vector<std::string>& traces, const std::string& text)
{
    return (int)std::count(traces.begin(), traces.end(), text);
}

bool FlushSaver(TracedProcess* saver, HWND window)
{
    int before = Count(saver->Traces(), "WM_MOUSEMOVE\n");
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(window, &p);
    if (!PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y))) return false;
    return WaitUntil([&] { return Count(saver->Traces(), "WM_MOUSEMOVE\n") > before; }, 10000);
}

void WaitOutSince(DWORD tick, DWORD ms)
{
    DWORD since = GetTickCount() - tick;
    if (since <= ms + 20) Sleep(ms + 20 - since);
}

DWORD TraceTick(TracedProcess* saver, const std::string& text, int index)
{
    std::vector<std::string> traces = saver->Traces();
    std::vector<DWORD> ticks = saver->TraceTicks();
    for (size_t i = 0; i < traces.size(); i++)
        if (traces[i] == text && index-- == 0) return ticks[i];
    return 0;
}
