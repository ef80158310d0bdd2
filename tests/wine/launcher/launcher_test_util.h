// What the launcher tests share beyond the kit: the cursor's resting place,
// a close by key and the saver's traces.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "parent_window.h"
#include "read_witness.h"
#include "registry_scope.h"
#include "saver_folder.h"
#include "test_support.h"
#include "window_probe.h"

const int parkX = 500, parkY = 400;

// Moves the cursor away from the screen edges; waits until the system reports it there.
inline void ParkCursor()
{
    SetCursorPos(parkX, parkY);
    WaitUntil([] {
        POINT p;
        return GetCursorPos(&p) && p.x == parkX && p.y == parkY;
    }, 2000);
}

inline int Count(const std::vector<std::string>& traces, const std::string& text)
{
    return (int)std::count(traces.begin(), traces.end(), text);
}

// A key in the saver window, then the saver's exit code (0xBAD when no key
// reached it, 0xDEADBEEF when it did not end within timeoutMs).
inline DWORD ExitOnKey(TestProcess* saver, HWND window, DWORD timeoutMs = 10000)
{
    return PressKeyIn(window) ? saver->ExitCode(timeoutMs) : 0xBAD;
}
