// What a test needs from the system beyond plain Windows, asked at run time.
#include "platform_checks.h"

#include <map>

#include <stdlib.h>

#include "test_files.h"
#include "test_process.h"

bool IsCodePage932() { return GetACP() == 932; }

bool UnderTheHarness() { return getenv("VELKARO_HARNESS") != NULL; }

bool RunsUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool RunIsFor932() { return EnvValue("VELKARO_ACP") == "932"; }

bool CodePageAsAnnounced()
{
    std::string acp = EnvValue("VELKARO_ACP");
    return acp.empty() || (UINT)atoi(acp.c_str()) == GetACP();
}

// The probe's exit code under the given name and arguments; 0xDEADBEEF when
// it did not end in time.
static DWORD RunProbe(const std::string& fileName, const std::string& args)
{
    std::string dir = MakeTestDir("platform_probe");
    if (!CopyInto(BinFile("platform_probe.exe"), dir, fileName)) return 0xDEADBEEF;
    return RunSaver(dir + "\\" + fileName, args, 15000);
}

UINT ProgramCodePage() { return RunProbe("platform_probe.exe", "acp"); }

bool RunsAs95Family(const std::string& fileName)
{
    static std::map<std::string, bool> known;
    if (!known.count(fileName)) known[fileName] = RunProbe(fileName, "") == VER_PLATFORM_WIN32_WINDOWS;
    return known[fileName];
}

bool FaultsStayWithTheProgram()
{
    static int known = -1;
    if (known < 0) known = RunProbe("platform_probe.exe", "fault") == 0;
    return known == 1;
}

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
    return WriteFileBytes(path, "read me\r\n") && MarkUnread(path) && !ReadSinceMark(path) &&
           !ReadText(path).empty() && ReadSinceMark(path) && DeleteFileA(path.c_str());
}
