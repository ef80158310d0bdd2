// Message boxes with the program's Japanese texts, readable whatever the
// system's code page is.
#pragma once
#include <windows.h>

// The string table's text id as wide characters, cut to fit size (with its
// NUL); returns the characters written, 0 for a missing id.
int LoadProgramText(UINT id, WCHAR* out, int size);

// Shows a box whose text and caption are strings of the program's string
// table (captionId 0: none, the system's "Error"). path, when not null, is
// appended to the text. Returns MessageBoxW's result.
int ShowJapaneseMessage(HWND owner, UINT textId, const WCHAR* path, UINT captionId, UINT flags);
