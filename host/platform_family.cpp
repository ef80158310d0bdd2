// Which family of Windows the saver runs on: the 95 family (95, 98, Me) has
// a password provider, AutoPlay's query and only ANSI dialogs.
#include "host/host_internal.h"

static BOOL is95Family;

void DetectPlatformFamily()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;  // 148
    is95Family = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

BOOL Is95Family()
{
    return is95Family;
}
