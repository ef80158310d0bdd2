// The existence probe that the saver uses for the accessory, the playlist
// and the external saver.
#pragma once
#include <windows.h>

// True when FindFirstFileA finds an entry for the path: a folder counts, and
// wildcards act as a pattern. An empty path does not exist.
BOOL FileExists(const char* path);
