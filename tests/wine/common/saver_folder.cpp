// A test folder with the saver or a probe, the stand-in accessory and its log.
#include "saver_folder.h"

#include <stdio.h>
#include <stdlib.h>

// Passed on by both probes and only recorded.
static const UINT markerMessage = WM_USER + 0x7F;

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

bool SaverFolder::FlushProbe(HWND window) const
{
    static int markers;  // numbered across the test program
    for (int round = 0; round < 2; ++round) {
        int n = ++markers;
        if (!PostMessageA(window, markerMessage, n, 0)) return false;
        char line[32];
        snprintf(line, sizeof line, "A %04X %d 0", markerMessage, n);
        if (!WaitForLine(ProbeLog(), line, 10000)) return false;
    }
    return true;
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
    DWORD access = SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE;
    return pid ? OpenProcess(access, FALSE, pid) : NULL;
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
