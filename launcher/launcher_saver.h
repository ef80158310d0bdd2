// The launcher's saver procedure, the second link of the saver window's chain.
#pragma once
#include <windows.h>

LRESULT LauncherSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
