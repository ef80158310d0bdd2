// Bounded waits that end on the event itself: the condition is polled with a
// short interval until it holds or the time is up.
#pragma once
#include <windows.h>

const DWORD waitPollMs = 10;

// True as soon as condition() is true; false when it still is not after
// timeoutMs (the condition is asked once more at the end).
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs) return condition();
        Sleep(waitPollMs);
    }
    return true;
}

// The same with another interval between the questions, for a condition that
// does work of its own each time (e.g. one tick of a timer it stands in for).
template <typename Condition>
bool WaitUntilEvery(Condition condition, DWORD intervalMs, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(intervalMs);
    }
    return true;
}
