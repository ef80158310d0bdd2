// The settings store: six values in section "setting" of an INI file (which
// one: settings_location.cpp), read and written through the private-profile
// functions, row by row of the settings table (launcher/settings_values.h).
#include "launcher/settings.h"
#include "launcher/settings_location.h"
#include "launcher/settings_values.h"

COLORREF bgcolor;
int alpha;
int mode;
char exepath[settingsTextSize];
char playlist[settingsTextSize];
char ext_scr_path[settingsTextSize];

static const char settingsSection[] = "setting";

// Where each row of the settings table is kept, as its kind says: a
// COLORREF, an int or a text of settingsTextSize bytes.
static void* const settingPlaces[settingCount] = {&bgcolor, &alpha,    &mode,
                                                  exepath,  playlist, ext_scr_path};

// Reads one setting; without a file (null), its default.
static void LoadSetting(int index, const char* file)
{
    const SettingRule& rule = settingRules[index];
    void* place = settingPlaces[index];
    if (rule.kind == SettingText) {
        char* text = (char*)place;
        text[0] = '\0';
        if (file)
            GetPrivateProfileStringA(settingsSection, rule.key, "", text, settingsTextSize, file);
        return;
    }
    UINT read = (UINT)rule.defaultValue;
    if (file) read = GetPrivateProfileIntA(settingsSection, rule.key, rule.defaultValue, file);
    int value = ClampSetting((SettingIndex)index, read);
    if (rule.kind == SettingColour)
        *(COLORREF*)place = (COLORREF)value;
    else
        *(int*)place = value;
}

int LoadSettings(char* unreadable, DWORD size)
{
    char file[1024];
    int found = SettingsFileToRead(file, sizeof file);
    int readable = !found || SettingsFileReadable(file);
    for (int i = 0; i < settingCount; i++) LoadSetting(i, found && readable ? file : NULL);
    if (!readable && unreadable) lstrcpynA(unreadable, file, (int)size);
    return readable;
}

static int SaveSetting(int index, const char* file)
{
    SettingKind kind = settingRules[index].kind;
    void* place = settingPlaces[index];
    char number[16];
    const char* text = (const char*)place;
    if (kind != SettingText) {
        wsprintfA(number, "%d", kind == SettingColour ? (int)*(COLORREF*)place : *(int*)place);
        text = number;
    }
    return WritePrivateProfileStringA(settingsSection, settingRules[index].key, text, file) ? 1
                                                                                            : 0;
}

static int WriteSettings(const char* file)
{
    // Every key is written even after a failure, so that as much as
    // possible reaches the file; the result tells the dialog about any.
    int ok = 1;
    for (int i = 0; i < settingCount; i++) ok &= SaveSetting(i, file);
    return ok;
}

int SaveSettings(char* file, DWORD size)
{
    char written[1024];
    if (!file) {
        file = written;
        size = sizeof written;
    }
    return SaveSettingsFile(WriteSettings, file, size);
}
