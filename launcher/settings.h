// The six persisted settings and the settings file beside the program.
#pragma once
#include <windows.h>

const int settingsTextSize = 1024;

extern COLORREF bgcolor;
extern int alpha;
extern int mode;
extern char exepath[settingsTextSize];
extern char playlist[settingsTextSize];
extern char ext_scr_path[settingsTextSize];

// Returns 1; 0 when the settings file exists but cannot be read: the
// defaults are loaded then, and the file's path goes to unreadable.
int LoadSettings(char* unreadable = NULL, DWORD size = 0);
// Returns 1 when every value was written, 0 when any write failed; file
// (when given) names the file written, or the one that could not be.
int SaveSettings(char* file = NULL, DWORD size = 0);
