// Whether a file has been read, seen from its last-access time.
#include "read_witness.h"

#include <windows.h>

#include "test_files.h"

static FILETIME MarkTime()
{
    SYSTEMTIME old = {2000, 1, 6, 1, 0, 0, 0, 0};  // 1 January 2000
    FILETIME t;
    SystemTimeToFileTime(&old, &t);
    return t;
}

bool MarkUnread(const std::string& path)
{
    HANDLE f = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (f == INVALID_HANDLE_VALUE) return false;
    FILETIME mark = MarkTime();
    bool ok = SetFileTime(f, NULL, &mark, NULL) != 0;
    CloseHandle(f);
    return ok;
}

bool ReadSinceMark(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    FILETIME mark = MarkTime();
    return CompareFileTime(&data.ftLastAccessTime, &mark) > 0;
}

bool ReadsAreWitnessed(const std::string& dir)
{
    std::string path = dir + "\\read_witness_check.txt";
    std::string bytes;
    return WriteFileBytes(path, "read me\r\n") && MarkUnread(path) && !ReadSinceMark(path) &&
           ReadFileBytes(path, &bytes) && ReadSinceMark(path) && DeleteFileA(path.c_str());
}
