// Where the settings live (see settings_location.h). Paths from the
// environment go through the code page's form, so a user name the code page
// cannot hold gives the folder's short name instead of '?'.
#include "launcher/settings/settings_location.h"

#include "launcher/common/ansi_path.h"
#include "launcher/common/path_components.h"
#include "launcher/settings/settings_values.h"

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

// A file that exists but cannot be opened (held by a sync client or a
// virus scanner, or denied to this user) would read as all defaults.
int SettingsFileReadable(const char* path)
{
    if (!IsFile(path)) return 1;  // missing: the defaults are its contents
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return 0;
    CloseHandle(file);
    return 1;
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

int SaveSettingsFile(int (*write)(const char* file, const Settings* settings),
                     const Settings* settings, char* file, DWORD size)
{
    char user[pathSize];
    file[0] = '\0';
    int hasUser = UserSettingsFile(user, pathSize);
    // Where the user has a file, or UAC's copy would be read before the file
    // beside the program, only the user's own file is read back as saved.
    int userFirst = hasUser && (IsFile(user) || (VirtualStoreFile(file, size) && IsFile(file)));
    if (!userFirst && ProgramSettingsFile(file, size) && write(file, settings)) return 1;
    if (!hasUser) return 0;
    lstrcpynA(file, user, (int)size);
    MakeFolderOf(file);
    return write(file, settings);
}
