#include "launcher/system_entry.h"

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
