// Message boxes with the program's Japanese texts, readable whatever the
// system's code page is.
#pragma once
#include <windows.h>

// Shows a box whose text and caption are strings of the program's string
// table (captionId 0: none, the system's "Error"). path, when not null, is
// appended to the text. Returns MessageBoxW's result.
int ShowJapaneseMessage(HWND owner, UINT textId, const WCHAR* path, UINT captionId, UINT flags);
