// Message boxes with the program's Japanese texts, readable whatever the
// system's code page is.
#pragma once
#include <windows.h>

// Shows a box whose text and caption are code page 932 bytes (a null caption
// gives the system's "Error"). path, when not null, is appended to the text
// and is in the system's ANSI code page. Returns MessageBox's result.
int ShowJapaneseMessage(HWND owner, const char* text, const char* path, const char* caption,
                        UINT flags);
