// The configuration dialog's procedure and its preparation (SaverApp).
#pragma once
#include <windows.h>

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PrepareConfigDialog(HINSTANCE instance);
