// Bounded waits that end on the event itself: the condition is polled with a
// short interval until it holds or the time is up.
#pragma once
#include <windows.h>

// True as soon as condition() is true; false when it still is not after
// timeoutMs (the condition is asked once more at the end). A condition that
// does work of its own each time (e.g. one tick of a timer it stands in for)
// chooses its interval.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs, DWORD intervalMs = 10)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs) return condition();
        Sleep(intervalMs);
    }
    return true;
}

// A fixed wait that answers messages sent to this thread meanwhile. Only
// where nothing observable marks the moment: say why at the call.
inline void Pause(DWORD ms)
{
    DWORD start = GetTickCount();
    for (DWORD spent = 0; spent < ms; spent = GetTickCount() - start) {
        if (MsgWaitForMultipleObjects(0, NULL, FALSE, ms - spent, QS_SENDMESSAGE) == WAIT_OBJECT_0) {
            MSG m;
            PeekMessageA(&m, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}
