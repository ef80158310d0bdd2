// The settings as one value, with no platform header: the six values, one
// table of their keys, defaults and limits, which loading and saving both go
// through, and the settings file's path derived from the program file's path.
#pragma once
#include <stddef.h>

const unsigned maxBgcolor = 0xFFFFFF;
// A path setting's bytes, its terminating NUL included.
const int settingsTextSize = 1024;

// What the settings file holds. Each part of the program that uses the
// settings keeps a copy of its own and hands on what it needs.
struct Settings {
    unsigned bgcolor;  // a COLORREF, 0x00BBGGRR
    int alpha;         // transparency in percent
    int mode;
    char exepath[settingsTextSize];
    char playlist[settingsTextSize];
    char ext_scr_path[settingsTextSize];
};

// The two values of the mode setting.
const int simpleMode = 0;        // background colour, accessory and music
const int externalCallMode = 1;  // another saver draws in the saver window

// The settings in the order they are read and written.
enum SettingIndex {
    SettingBgcolor,
    SettingAlpha,
    SettingMode,
    SettingExepath,
    SettingPlaylist,
    SettingExtScrPath,
    settingCount
};

// A colour is compared unsigned (-1 in the file is above white), a number
// signed; a text has no default but "" and no limits.
enum SettingKind { SettingColour, SettingNumber, SettingText };

struct SettingRule {
    const char* key;
    SettingKind kind;
    size_t field;  // where in Settings: an unsigned, an int or a text
    int defaultValue;  // also what a missing settings file gives
    int minimum, maximum;
};

extern const SettingRule settingRules[settingCount];

// A number as GetPrivateProfileInt reads it, within the setting's limits:
// the colour 0 to 0xFFFFFF, alpha 0 to 100, the mode 0 or 1.
int ClampSetting(SettingIndex setting, unsigned read);

// Overwrites the last three characters of a program file's path with "ini"
// (C:\Savers\x.scr gives C:\Savers\x.ini, x.sc gives xini). Returns 0 and
// leaves the text alone when it is shorter than three characters.
int SettingsPathFromModule(char* path);
