// The probe saver's log writer, in a DLL of its own so that it also sees how
// the process ends: its detach notice is written only when the process ends
// through ExitProcess (as the host ends it); the fault guard, like the
// system's own end of an unhandled fault, terminates the process without
// notifying its libraries.
#include <windows.h>

#include <string.h>

#include "tests/fixtures/fixture_files.h"

// The line goes to the .log beside the program (hostprobe.log).
extern "C" __declspec(dllexport) void ProbeAppend(const char* line)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH - 4);
    path[n] = '\0';
    char* dot = strrchr(path, '.');
    if (dot) strcpy(dot, ".log");
    AppendLine(path, line);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved != NULL) ProbeAppend("exit\n");
    return TRUE;
}
