#include "saver_folder.h"

#include <stdlib.h>

static bool AddAccessory(const SaverFolder& f, const std::string& variant)
{
    CreateDirectoryA((f.dir + "\\Program Files").c_str(), NULL);
    CreateDirectoryA(f.accessoryDir.c_str(), NULL);
    bool ok = CopyInto(BinFile("fake_accessory.exe"), f.accessoryDir, "velkarodin.exe") &&
              CopyInto(BinFile("trap_program.exe"), f.dir, "Program.exe");
    if (!variant.empty()) ok = ok && WriteFileBytes(f.accessoryDir + "\\accessory_variant.txt", variant);
    return ok;
}

SaverFolder PrepareSaverFolder(const std::string& testName, const std::string& scrName,
                               unsigned parts, const std::string& variant)
{
    SaverFolder f;
    f.dir = MakeTestDir(testName);
    f.scr = f.dir + "\\" + scrName;
    f.accessoryDir = f.dir + "\\Program Files\\Tools";
    f.accessory = f.accessoryDir + "\\velkarodin.exe";
    CopyInto(parts & ProbeProgram    ? BinFile("hostprobe.exe")
             : parts & LauncherProbe ? BinFile("launcherprobe.exe") : SaverPath(), f.dir, scrName);
    if (parts & (ProbeProgram | LauncherProbe))
        CopyInto(BinFile("probe_recorder.dll"), f.dir, "probe_recorder.dll");
    if (parts & QuietSettings)
        WriteSettingsFor(f.scr, {"exepath=" + f.scr, "mode=0", "playlist=", "ext_scr_path="});
    if (parts & WithAccessory) AddAccessory(f, variant);
    return f;
}

std::string LogValue(const std::string& log, const std::string& key)
{
    std::string text = ReadText(log);
    size_t at = text.find(" " + key + " ");
    if (at == std::string::npos) return "";
    size_t begin = at + key.size() + 2;
    return text.substr(begin, text.find('\n', begin) - begin);
}

HANDLE AccessoryHandle(const SaverFolder& s)
{
    DWORD pid = strtoul(LogValue(s.AccessoryLog(), "pid").c_str(), NULL, 10);
    return pid ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE,
                             pid)
               : NULL;
}

AccessoryReaper::~AccessoryReaper()
{
    HANDLE h = AccessoryHandle(folder);
    if (!h) return;
    if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) {
        TerminateProcess(h, 98);
        WaitForSingleObject(h, 5000);
    }
    CloseHandle(h);
}
