// The settings' value rules, with no platform header: one table of the
// settings' keys, defaults and limits, which loading and saving both go
// through, and the settings file's path derived from the program file's path.
#pragma once

const unsigned maxBgcolor = 0xFFFFFF;

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
