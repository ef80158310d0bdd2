// Libraries loaded at run time come from the system folder only. A bare name
// would be searched in the program's own folder first, and a saver is often
// run from Downloads, where a web page may have dropped a DLL of that name.
#include "host/host_internal.h"

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD flags);

// Windows 8 and later, and Vista and 7 with the update that adds it: every
// later load by name, also the ones the system makes for us (media drivers
// and codecs, input methods, the common dialogs' helpers), searches the
// system folder only. Older systems keep their usual search for those; what
// we load ourselves goes by full path on every system (LoadSystemLibrary).
// SetDllDirectory is never used: child processes would inherit it.
void RestrictLibrarySearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == NULL) return;
    SetDefaultDllDirectoriesFn restrict = (SetDefaultDllDirectoriesFn)(void*)GetProcAddress(
        kernel, "SetDefaultDllDirectories");
    if (restrict) restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
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
    return LoadLibraryA(path);
}
