// Room in the configuration dialog for the access keys its texts carry.
#pragma once
#include <windows.h>

// Widens each control whose text carries an access-key mark by the mark's
// width (at WM_INITDIALOG, before the dialog is shown).
void MakeRoomForAccessKeys(HWND dialog);
