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

void LoadSettings();
// Returns 1 when every value was written, 0 when any write failed.
int SaveSettings();
