// The settings store: six values in section "setting" of an INI file (which
// one: settings_location.cpp), read and written through the private-profile
// functions.
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

static void ReadText(const char* key, char* text, const char* file)
{
    GetPrivateProfileStringA(settingsSection, key, "", text, settingsTextSize, file);
}

void LoadSettings()
{
    char file[1024];
    if (!SettingsFileToRead(file, sizeof file)) {
        bgcolor = 0;
        alpha = 0;
        mode = simpleMode;
        exepath[0] = playlist[0] = ext_scr_path[0] = '\0';
        return;
    }
    bgcolor = ClampBgcolor(GetPrivateProfileIntA(settingsSection, "bgcolor", 0, file));
    alpha = ClampAlpha((int)GetPrivateProfileIntA(settingsSection, "alpha", 0, file));
    mode = ClampMode((int)GetPrivateProfileIntA(settingsSection, "mode", 0, file));
    ReadText("exepath", exepath, file);
    ReadText("playlist", playlist, file);
    ReadText("ext_scr_path", ext_scr_path, file);
}

static int WriteText(const char* key, const char* text, const char* file)
{
    return WritePrivateProfileStringA(settingsSection, key, text, file) ? 1 : 0;
}

static int WriteNumber(const char* key, int value, const char* file)
{
    char text[16];
    wsprintfA(text, "%d", value);
    return WriteText(key, text, file);
}

static int WriteSettings(const char* file)
{
    // Every key is written even after a failure, so that as much as
    // possible reaches the file; the result tells the dialog about any.
    int ok = 1;
    ok &= WriteNumber("bgcolor", (int)bgcolor, file);
    ok &= WriteNumber("alpha", alpha, file);
    ok &= WriteNumber("mode", mode, file);
    ok &= WriteText("exepath", exepath, file);
    ok &= WriteText("playlist", playlist, file);
    ok &= WriteText("ext_scr_path", ext_scr_path, file);
    return ok;
}

int SaveSettings()
{
    return SaveSettingsFile(WriteSettings);
}
