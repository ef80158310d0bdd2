// The settings store: loads a Settings from the settings file and saves one.
#pragma once
#include <windows.h>

#include "launcher/settings/settings_values.h"

// Fills out from the file; returns 1, or 0 when the settings file exists but
// cannot be read: out then holds the defaults, and the file's path goes to
// unreadable.
int LoadSettings(Settings* out, char* unreadable = NULL, DWORD size = 0);
// Returns 1 when every value was written, 0 when any write failed; file
// (when given) names the file written, or the one that could not be.
int SaveSettings(const Settings* settings, char* file = NULL, DWORD size = 0);
