#include "launcher_test_util.h"

#include <stdlib.h>

void ParkCursor()
{
    SetCursorPos(parkX, parkY);
    WaitUntil([] {
        POINT p;
        return GetCursorPos(&p) && p.x == parkX && p.y == parkY;
    }, 2000);
}

std::string LogValue(const std::string& log, const std::string& key)
{
    std::string text = ReadText(log);
    std::string needle = " " + key + " ";
    size_t at = text.find(needle);
    if (at == std::string::npos) return "";
    size_t begin = at + needle.size();
    size_t end = text.find('\n', begin);
    return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

int CountLines(const std::string& log, const std::string& needle)
{
    std::string text = ReadText(log);
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        count++;
    return count;
}

HANDLE AccessoryHandle(const SaverFolder& s)
{
    DWORD pid = strtoul(LogValue(s.AccessoryLog(), "pid").c_str(), NULL, 10);
    return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
}

int Count(const std::vector<std::string>& traces, const std::string& text)
{
    int n = 0;
    for (const std::string& t : traces) n += t == text;
    return n;
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

AccessoryReaper::~AccessoryReaper()
{
    std::string pid = LogValue(log, "pid");
    if (pid.empty()) return;
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, strtoul(pid.c_str(), NULL, 10));
    if (!h) return;
    if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) {
        TerminateProcess(h, 98);
        WaitForSingleObject(h, 5000);
    }
    CloseHandle(h);
}
