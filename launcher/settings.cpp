// The settings store: six values in section "setting" of the INI file beside
// the program file, read and written through the private-profile functions.
#include "launcher/settings.h"
#include "launcher/settings_values.h"

COLORREF bgcolor;
int alpha;
int mode;
char exepath[settingsTextSize];
char playlist[settingsTextSize];
char ext_scr_path[settingsTextSize];

static const char settingsSection[] = "setting";

// The program file's path with "ini" in place of its last three characters.
static int SettingsFilePath(char* path, DWORD size)
{
    DWORD length = GetModuleFileNameA(NULL, path, size);
    if (length == 0 || length >= size) return 0;  // failed or cut
    path[length] = '\0';
    return SettingsPathFromModule(path);
}

static void ReadText(const char* key, char* text, const char* file)
{
    GetPrivateProfileStringA(settingsSection, key, "", text, settingsTextSize, file);
}

void LoadSettings()
{
    char file[1024];
    if (!SettingsFilePath(file, sizeof file)) {
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

int SaveSettings()
{
    char file[1024];
    if (!SettingsFilePath(file, sizeof file)) return 0;
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
