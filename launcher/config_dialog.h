// The configuration dialog (template 2003) and its helpers.
#pragma once
#include <windows.h>

extern int fileVersionParts[4];
extern COLORREF customColors[16];
extern HBRUSH swatchBrush;

// The maker's one-line notice, the second line of the version line; also the
// LegalCopyright of the version resource.
extern const char makerNotice[];

void ReadFileVersion();
void EnableModeControls(HWND dialog, int mode);
int ChooseBackgroundColor(HWND owner, COLORREF* colour);
