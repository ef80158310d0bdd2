// The settings' value rules, with no platform header: the clamps applied on
// loading and the settings file's path derived from the program file's path.
#pragma once

const unsigned maxBgcolor = 0xFFFFFF;

// The two values of the mode setting.
const int simpleMode = 0;        // background colour, accessory and music
const int externalCallMode = 1;  // another saver draws in the saver window

unsigned ClampBgcolor(unsigned value);  // above 0xFFFFFF becomes 0xFFFFFF
int ClampAlpha(int value);              // 0 to 100
int ClampMode(int value);               // 0 or 1

// Overwrites the last three characters of a program file's path with "ini"
// (C:\Savers\x.scr gives C:\Savers\x.ini, x.sc gives xini). Returns 0 and
// leaves the text alone when it is shorter than three characters.
int SettingsPathFromModule(char* path);
