// What a test needs from the system beyond plain Windows, asked at run time.
#include "platform_checks.h"

#include <map>

#include <stdlib.h>
#include <string.h>

#include "test_files.h"
#include "test_process.h"

bool IsCodePage932() { return GetACP() == 932; }

bool UnderTheHarness() { return getenv("VELKARO_HARNESS") != NULL; }

bool RunsUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool RunIsFor932()
{
    const char* acp = getenv("VELKARO_ACP");
    return acp && strcmp(acp, "932") == 0;
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
