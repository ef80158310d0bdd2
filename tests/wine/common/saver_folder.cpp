#include "saver_folder.h"

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
    CopyInto(parts & ProbeProgram ? BinFile("hostprobe.scr") : SaverPath(), f.dir, scrName);
    if (parts & ProbeProgram) CopyInto(BinFile("probe_recorder.dll"), f.dir, "probe_recorder.dll");
    if (parts & QuietSettings)
        WriteSettingsFor(f.scr, {"exepath=" + f.scr, "mode=0", "playlist=", "ext_scr_path="});
    if (parts & WithAccessory) AddAccessory(f, variant);
    return f;
}
