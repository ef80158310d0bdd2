// Looking at the windows of another process as a user would: the wide text
// shown, the screen's pixels, keys sent into a chosen window, and a round
// trip through a window's thread.
#pragma once
#include <windows.h>

#include <string>

// The text as the user reads it, whatever the system's code page.
std::wstring WideText(HWND window);
// False when the run says it has a code page (VELKARO_ACP, set by the
// _cp1252 runs) and the system has another one.
bool CodePageAsAnnounced();

COLORREF ScreenPixel(int x, int y);
COLORREF CentrePixel(HWND window);  // the screen pixel at a window's centre

// A message sent to the window and answered: true once its thread has
// handled what was sent before and takes messages again (the first moment
// after a modal box, a click or its creation that it is idle). False when
// the window is gone or does not answer within timeoutMs.
bool Answered(HWND window, DWORD timeoutMs = 10000);
// Brings the window to the foreground, waits until it has it, then presses
// the key; false (nothing pressed) when it did not get the foreground.
bool PressKeyIn(HWND window, WORD virtualKey = VK_SPACE);
