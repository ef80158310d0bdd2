// Where the settings live (see settings_location.h). Paths from the
// environment go through the code page's form, so a user name the code page
// cannot hold gives the folder's short name instead of '?'.
#include "launcher/settings_location.h"

#include "launcher/ansi_path.h"
#include "launcher/path_components.h"
#include "launcher/settings_values.h"

static const int pathSize = 1024;

// The program file's path with "ini" in place of its last three characters.
static int ProgramSettingsFile(char* path, DWORD size)
{
    return ProgramPathAnsi(path, (int)size) && SettingsPathFromModule(path);
}

// The folder an environment variable names, then tail. 0 where the
// variable is missing (the 95 family has neither of ours).
static int FolderThen(const WCHAR* variable, const char* tail, char* path, DWORD size)
{
    WCHAR folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(variable, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    if (!AnsiPathForm(folder, path, (int)size)) return 0;
    DWORD used = (DWORD)lstrlenA(path);
    if (used + (DWORD)lstrlenA(tail) >= size) return 0;
    lstrcpyA(path + used, tail);
    return 1;
}

static int UserSettingsFile(char* path, DWORD size)
{
    return FolderThen(L"APPDATA", "\\velkaro_ss_launcher\\velkaro_ss_launcher.ini", path, size);
}

static int VirtualStoreFile(char* path, DWORD size)
{
    char beside[pathSize], tail[pathSize + 16];
    if (!ProgramSettingsFile(beside, pathSize)) return 0;
    const char* folders = PathWithoutDrive(beside);
    if (!folders) return 0;
    wsprintfA(tail, "\\VirtualStore%s", folders);
    return FolderThen(L"LOCALAPPDATA", tail, path, size);
}

// A folder standing where the file should be is not a settings file.
static int IsFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int SettingsFileToRead(char* path, DWORD size)
{
    if (UserSettingsFile(path, size) && IsFile(path)) return 1;
    if (VirtualStoreFile(path, size) && IsFile(path)) return 1;
    return ProgramSettingsFile(path, size);
}

// The user's folder, made if missing (an existing one is fine).
static void MakeFolderOf(const char* file)
{
    char folder[pathSize];
    lstrcpynA(folder, file, pathSize);
    char* last = NULL;
    for (char* p = folder; *p; p = CharNextA(p))
        if (*p == '\\') last = p;
    if (!last) return;
    *last = '\0';
    CreateDirectoryA(folder, NULL);
}

int SaveSettingsFile(int (*write)(const char* file))
{
    char file[pathSize];
    if (UserSettingsFile(file, pathSize) && IsFile(file)) return write(file);
    if (ProgramSettingsFile(file, pathSize) && write(file)) return 1;
    if (!UserSettingsFile(file, pathSize)) return 0;
    MakeFolderOf(file);
    return write(file);
}
