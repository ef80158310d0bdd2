// The settings' value rules, shared by loading and by the native tests.
#include "launcher/settings_values.h"

#include <string.h>

unsigned ClampBgcolor(unsigned value)
{
    return value > maxBgcolor ? maxBgcolor : value;
}

int ClampAlpha(int value)
{
    if (value < 0) return 0;
    if (value > 100) return 100;
    return value;
}

int ClampMode(int value)
{
    if (value < simpleMode) return simpleMode;
    if (value > externalCallMode) return externalCallMode;
    return value;
}

int SettingsPathFromModule(char* path)
{
    size_t length = strlen(path);
    if (length < 3) return 0;
    memcpy(path + length - 3, "ini", 3);
    return 1;
}
