// Looking at the windows of another process as a user would: the wide text
// shown, the screen's pixels, keys sent into a chosen window, the cursor, and
// a round trip through a window's thread.
#pragma once
#include <windows.h>

#include <string>

#include "tests/fixtures/key_press.h"  // SendKeyPress

// The text as the user reads it, whatever the system's code page.
std::wstring WideText(HWND window);

COLORREF CentrePixel(HWND window);  // the screen pixel at a window's centre
// The DPI awareness of a window, also of another process (DPI_AWARENESS_...).
int DpiAwareness(HWND window);

// A message sent to the window and answered: true once its thread has
// handled what was sent before and takes messages again (the first moment
// after a modal box, a click or its creation that it is idle). False when
// the window is gone or does not answer within timeoutMs.
bool Answered(HWND window, DWORD timeoutMs = 10000);
// Brings the window to the foreground, waits until it has it, then presses
// the key (with the modifier, if any); false (nothing pressed) when it did
// not get the foreground.
bool PressKeyIn(HWND window, WORD virtualKey = VK_SPACE, WORD modifier = 0);
// A key in the saver window, then the saver's exit code (0xBAD when no key
// reached it, 0xDEADBEEF when it did not end within timeoutMs).
DWORD ExitOnKey(struct TestProcess* saver, HWND window, DWORD timeoutMs = 10000);

// The cursor's resting place, away from the screen edges; ParkCursor moves
// it there and waits until the system reports it there.
const int parkX = 500, parkY = 400;
void ParkCursor();
