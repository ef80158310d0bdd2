// Forms of a path that the settings and the dialog store, with no platform
// header: the caller passes the system's answers (its short form of a path,
// whether the code page holds a piece of text).
#pragma once
#include <stddef.h>

typedef int (*CodePageHolds)(const wchar_t* text, int length);

// The long path with each component that the code page cannot hold replaced
// by the same component of its short form; separators ('\\' or '/') and the
// components the code page holds stay as written. 0 when the two paths do
// not have the same components, or the result does not fit in size.
int KeepLongComponents(const wchar_t* longPath, const wchar_t* shortPath, CodePageHolds holds,
                       wchar_t* out, size_t size);

// A path on a drive ("C:\\dir\\x.ini") without the drive ("\\dir\\x.ini"):
// where UAC file virtualization puts its copy under VirtualStore. Null for
// any other form (relative, UNC, no drive).
const char* PathWithoutDrive(const char* path);
