// The display's state, which Windows reports to the saver window while it
// plays music, so that the music stops while the display is off.
#pragma once
#include <windows.h>

const int displayOff = 0;
const int displayOn = 1;
const int displayDimmed = 2;

// Asks Windows for reports on the display's state (Vista and later; nothing
// on the 95 family and XP), and stops asking.
void WatchDisplayState(HWND hwnd);
void StopWatchingDisplayState();
// The state that a PBT_POWERSETTINGCHANGE report carries; -1 when it is
// about something else.
int DisplayStateFrom(LPARAM setting);
