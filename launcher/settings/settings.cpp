// The settings store: six values in section "setting" of an INI file (which
// one: settings_location.cpp), read and written through the private-profile
// functions, row by row of the settings table (settings_values.h).
#include "launcher/settings/settings.h"
#include "launcher/settings/settings_location.h"

static const char settingsSection[] = "setting";

// Reads one setting into its field; without a file (null), its default.
static void LoadSetting(int index, const char* file, Settings* out)
{
    const SettingRule& rule = settingRules[index];
    char* place = (char*)out + rule.field;
    if (rule.kind == SettingText) {
        place[0] = '\0';
        if (file)
            GetPrivateProfileStringA(settingsSection, rule.key, "", place, settingsTextSize, file);
        return;
    }
    UINT read = (UINT)rule.defaultValue;
    if (file) read = GetPrivateProfileIntA(settingsSection, rule.key, rule.defaultValue, file);
    int value = ClampSetting((SettingIndex)index, read);
    if (rule.kind == SettingColour)
        *(unsigned*)place = (unsigned)value;
    else
        *(int*)place = value;
}

int LoadSettings(Settings* out, char* unreadable, DWORD size)
{
    char file[1024];
    int found = SettingsFileToRead(file, sizeof file);
    int readable = !found || SettingsFileReadable(file);
    for (int i = 0; i < settingCount; i++) LoadSetting(i, found && readable ? file : NULL, out);
    if (!readable && unreadable) lstrcpynA(unreadable, file, (int)size);
    return readable;
}

static int SaveSetting(int index, const char* file, const Settings* settings)
{
    const SettingRule& rule = settingRules[index];
    const char* place = (const char*)settings + rule.field;
    char number[16];
    const char* text = place;
    if (rule.kind != SettingText) {
        wsprintfA(number, "%d", *(const int*)place);
        text = number;
    }
    return WritePrivateProfileStringA(settingsSection, rule.key, text, file) ? 1 : 0;
}

// Every key is written even after a failure, so that as much as possible
// reaches the file; the result tells the dialog about any.
static int WriteSettings(const char* file, const Settings* settings)
{
    int ok = 1;
    for (int i = 0; i < settingCount; i++) ok &= SaveSetting(i, file, settings);
    return ok;
}

int SaveSettings(const Settings* settings, char* file, DWORD size)
{
    char written[1024];
    if (!file) {
        file = written;
        size = sizeof written;
    }
    return SaveSettingsFile(WriteSettings, settings, file, size);
}
