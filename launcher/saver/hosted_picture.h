// The picture of the external saver: the child window it puts into ours.
#pragma once
#include <windows.h>

// Sizes every child of the saver window to its whole client area.
void FitHostedPicture(HWND hwnd);
