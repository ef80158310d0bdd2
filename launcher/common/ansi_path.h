// Paths as the ANSI bytes the settings keep: the wide path where the
// system's code page holds it, else a form of it that the code page holds.
#pragma once
#include <windows.h>

// Whether the code page holds the wide text exactly (no '?', no best-fit
// stand-in).
BOOL AnsiHolds(const WCHAR* text);
// The path's bytes in out: as written where the code page holds it;
// otherwise, for an existing file or folder, with the short (8.3) name of
// each component the code page cannot hold. 0 (out untouched) when
// neither holds or fits in size bytes.
BOOL AnsiPathForm(const WCHAR* path, char* out, int size);
// The code page's lead-byte test, in the form the byte-level path code takes.
int AnsiLeadByte(unsigned char byte);
// The program file's path in that form (GetModuleFileNameA would give '?'
// for what the code page cannot hold). 0 when it does not fit.
BOOL ProgramPathAnsi(char* out, int size);
