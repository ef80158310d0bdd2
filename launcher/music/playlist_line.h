// One playlist line as players write it, turned into the path of its track:
// directives and comments, file URLs, other URLs. Platform-free.
#pragma once
#include <stddef.h>

// The path that line (up to its first LF) names, in out (size bytes): the
// line itself, or a file URL decoded as UTF-8 (then *pathUtf8 is 1, else it
// is utf8, the playlist's own encoding). 0 when the line names no track:
// empty, a '#' directive or comment, another URL scheme, a file URL with a
// bad escape or without a drive or server, a double quote (which would end
// the MCI command's quoted name), text that is not UTF-8 where UTF-8 is due,
// or a path that does not fit.
int TrackLinePath(const char* line, int utf8, char* out, size_t size, int* pathUtf8);

// Whether a playlist file's extension marks it as UTF-8 (".m3u8", any case).
int IsUtf8PlaylistExtension(const char* extension);

// Whether Windows, opening this path (UTF-8), would open a device rather
// than a file: "\\.\..." and "\\?\..." other than "\\?\C:\..." with
// backslashes only, or a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
// CONIN$, CONOUT$, in any case, with any extension) as the last component
// once "." and ".." are resolved and trailing dots and blanks are gone.
int NamesDevice(const char* path);
