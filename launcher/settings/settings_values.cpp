// The settings' value rules, shared by loading, saving and the native tests.
#include "launcher/settings/settings_values.h"

#include <string.h>

const SettingRule settingRules[settingCount] = {
    {"bgcolor", SettingColour, offsetof(Settings, bgcolor), 0, 0, (int)maxBgcolor},
    {"alpha", SettingNumber, offsetof(Settings, alpha), 0, 0, 100},
    {"mode", SettingNumber, offsetof(Settings, mode), simpleMode, simpleMode, externalCallMode},
    {"exepath", SettingText, offsetof(Settings, exepath), 0, 0, 0},
    {"playlist", SettingText, offsetof(Settings, playlist), 0, 0, 0},
    {"ext_scr_path", SettingText, offsetof(Settings, ext_scr_path), 0, 0, 0},
};

int ClampSetting(SettingIndex setting, unsigned read)
{
    const SettingRule& rule = settingRules[setting];
    // A colour's limits are from 0 up: compared unsigned, -1 is above white.
    if (rule.kind == SettingColour) return read > (unsigned)rule.maximum ? rule.maximum : (int)read;
    int value = (int)read;
    if (value < rule.minimum) return rule.minimum;
    if (value > rule.maximum) return rule.maximum;
    return value;
}

int SettingsPathFromModule(char* path)
{
    size_t length = strlen(path);
    if (length < 3) return 0;
    memcpy(path + length - 3, "ini", 3);
    return 1;
}
