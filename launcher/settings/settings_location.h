// Which settings file is read and which is written. The file beside the
// program serves a copy in a folder the user can write (the zip) and holds
// an administrator's defaults for everyone; a user who cannot write there
// (the program in the system folder) keeps a file of their own.
#pragma once
#include <windows.h>

#include "launcher/settings/settings_values.h"

// The file LoadSettings reads, the first that exists of: the user's file
// (%APPDATA%\velkaro_ss_launcher\velkaro_ss_launcher.ini), the copy UAC
// file virtualization made of the file beside the program (under
// %LOCALAPPDATA%\VirtualStore), the file beside the program. 0 when there
// is no path at all.
int SettingsFileToRead(char* path, DWORD size);

// 1 when the file can be read or does not exist; 0 when it exists but
// cannot be opened.
int SettingsFileReadable(const char* path);

// Saves settings through write (1 when every value reached the file): to the user's
// file where it exists or where a VirtualStore copy would be read first;
// else beside the program, and where that fails to the user's file, its
// folder created. 1 when one of them took the values; file then names it,
// else the last one that failed.
int SaveSettingsFile(int (*write)(const char* file, const Settings* settings),
                     const Settings* settings, char* file, DWORD size);
