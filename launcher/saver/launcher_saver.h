// The launcher's saver procedure, the second link of the saver window's chain.
#pragma once
#include <windows.h>

LRESULT LauncherSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Reads the settings before the saver window is created (SaverApp); TRUE
// when the window is to be DPI-unaware.
BOOL PrepareSaverWindow();
