#include "launcher/common/file_probe.h"

BOOL FileExists(const char* path)
{
    if (!path[0]) return FALSE;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return FALSE;
    FindClose(search);
    return TRUE;
}
