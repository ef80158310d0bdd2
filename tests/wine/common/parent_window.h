// A parent window for preview runs: a top-level window of this test process
// on a thread of its own, so that it answers the messages a preview child of
// another process sends it while the test waits.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A child window as the parent sees it (rectangle in its client coordinates).
struct ChildWindow {
    HWND handle;
    std::string className, title;
    DWORD style, exStyle;
    RECT rect;
};

// WM_HELP or WM_CONTEXTMENU as the parent received it.
struct ParentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct ParentWindow {
    ParentWindow();
    ~ParentWindow();
    HWND window = NULL;
    // A client area of width x height; false when the window was not made.
    bool Create(int width, int height);
    // Destroys the window (and with it any preview child), ends the thread.
    void Destroy();
    std::vector<ChildWindow> Children();
    // Waits until the parent has received the message with these parameters.
    bool WaitForMessage(const ParentMessage& expected, DWORD timeoutMs);
    // From the window's thread: a WM_HELP or WM_CONTEXTMENU received.
    void Record(const ParentMessage& m);
private:
    HANDLE thread = NULL;
    CRITICAL_SECTION lock;
    std::vector<ParentMessage> received;
};
