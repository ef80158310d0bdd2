// The configuration dialog on a monitor of another DPI.
#pragma once
#include <windows.h>

// Notes the DPI the dialog was laid out for (at WM_INITDIALOG).
void NoteDialogDpi(HWND dialog);
// WM_DPICHANGED: TRUE when the dialog rescaled itself and took the
// suggested place (if any); FALSE where the system does it (then the
// message goes on to the default handling).
BOOL RescaleDialog(HWND dialog, int dpi, const RECT* suggested);
// Deletes the font a rescale made (at WM_DESTROY).
void ReleaseDialogFont();
