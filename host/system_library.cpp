// Libraries loaded at run time come from the system folder only. A bare name
// would be searched in the program's own folder first, and a saver is often
// run from Downloads, where a web page may have dropped a DLL of that name.
#include "host/host_internal.h"

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD flags);

// How LoadSystemLibrary loads: see RestrictLibrarySearch.
static DWORD systemLoadFlags;

// Windows 8 and later, and Vista and 7 with the update that adds it: every
// later load by name, also the ones the system makes for us (media drivers
// and codecs, input methods, the common dialogs' helpers, what our libraries
// import), searches the system folder only. Older systems keep their usual
// search for those; what we load ourselves goes by full path on every system
// (LoadSystemLibrary), and on the older NT systems with the altered search
// order, so that what such a library imports comes from the system folder
// before the program's. SetDllDirectory is never used: child processes would
// inherit it.
void RestrictLibrarySearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == NULL) return;
    SetDefaultDllDirectoriesFn restrict = (SetDefaultDllDirectoriesFn)(void*)GetProcAddress(
        kernel, "SetDefaultDllDirectories");
    if (restrict && restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // The 95 family (the high bit of the version) has no such order.
    if (!(GetVersion() & 0x80000000u)) systemLoadFlags = LOAD_WITH_ALTERED_SEARCH_PATH;
    // Windows 7's advapi32 forwards RtlGenRandom (SeedStackGuard) to
    // cryptbase.dll, which the forward would look for by name: loaded from
    // the system folder first, the forward finds it loaded. Systems without
    // the library do not need it.
    LoadSystemLibrary("cryptbase.dll");
}

HMODULE LoadSystemLibrary(const char* name)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    int nameLength = lstrlenA(name);
    // A folder too long to take the name is treated as a missing library.
    if (length == 0 || length + 1 + nameLength >= MAX_PATH) return NULL;
    if (path[length - 1] != '\\') path[length++] = '\\';
    lstrcpyA(path + length, name);
    return LoadLibraryExA(path, NULL, systemLoadFlags);
}
