// Entry points of system DLLs that only one mode needs, looked up when that
// mode first needs them instead of imported, so that the other modes never
// map the DLLs (and what those DLLs bring with them).
#pragma once
#include <windows.h>

// The entry point `name` of `library`, loaded from the system folder if need
// be; null when either is missing. The library stays loaded until the
// process ends.
FARPROC SystemEntry(const char* library, const char* name);

// The same for comctl32, version 6 where the system has it.
FARPROC CommonControlsEntry(const char* name);

// The entry point typed as the system header declares the function, so that
// the call keeps the function's own name and signature:
//     auto ChooseColorA = SYSTEM_ENTRY("comdlg32.dll", ChooseColorA);
//     if (ChooseColorA && ChooseColorA(&choice)) ...
#define SYSTEM_ENTRY(library, function) \
    ((decltype(&::function))(void*)SystemEntry(library, #function))
