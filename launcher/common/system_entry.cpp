#include "launcher/common/system_entry.h"

#include "host/saver_app.h"

// Looked up explicitly rather than through the toolchain's delay-load import
// libraries: a missing library is then a null pointer that each caller turns
// into its own documented failure, where the delay-load helper raises an
// exception that the fault guard would end the process with. (A trial build
// with binutils 2.40's delay-load libraries was also 1.5 KiB larger, and its
// first delay-loaded call jumped to address 0 under Wine 8.) Only the system
// folder's copy is loaded; one missing there is a missing library.
FARPROC SystemEntry(const char* library, const char* name)
{
    HMODULE module = LoadSystemLibrary(library);
    return module ? GetProcAddress(module, name) : NULL;
}

// comctl32 is the one library loaded by name: where the manifest's activation
// context redirects the name (XP and later), the loader takes version 6 from
// the side-by-side store, never a file of that name beside the program. On
// the 95 family, and wherever the name is not redirected, the system folder's
// copy is loaded, as for every other library.
static HMODULE LoadCommonControls()
{
    static const char name[] = "comctl32.dll";
    typedef BOOL(WINAPI * FindSectionFn)(DWORD, const GUID*, ULONG, LPCSTR,
                                         PACTCTX_SECTION_KEYED_DATA);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FindSectionFn find = kernel && !(GetVersion() & 0x80000000)
                             ? (FindSectionFn)(void*)GetProcAddress(kernel, "FindActCtxSectionStringA")
                             : NULL;
    ACTCTX_SECTION_KEYED_DATA redirection;
    ZeroMemory(&redirection, sizeof redirection);
    redirection.cbSize = sizeof redirection;
    HMODULE module = NULL;
    if (find && find(0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name, &redirection))
        module = LoadLibraryA(name);
    return module ? module : LoadSystemLibrary(name);
}

FARPROC CommonControlsEntry(const char* name)
{
    HMODULE module = LoadCommonControls();
    return module ? GetProcAddress(module, name) : NULL;
}
