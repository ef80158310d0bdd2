// One test folder with a saver program in it: the built saver or a probe,
// under the name the test chooses, optionally with quiet settings and the
// stand-in accessory.
#pragma once
#include <string>

#include "launcher/saver/accessory_process.h"
#include "message_table.h"
#include "test_files.h"

// The stand-in accessory's log line for the saver's exit command.
const std::string accessoryExitLine = " command " + std::to_string(accessoryExitCommand);

enum SaverParts {
    BuiltSaver = 0,
    ProbeProgram = 1,   // hostprobe.exe (the host with a recording application)
                        // and its probe_recorder.dll
    QuietSettings = 2,  // settings that start nothing: see PrepareSaverFolder
    WithAccessory = 4,  // the stand-in accessory and the trap program
    LauncherProbe = 8,  // launcherprobe.exe (the launcher, its saver procedure's
                        // messages recorded) and its probe_recorder.dll
};

struct SaverFolder {
    std::string dir;           // the test folder (full path)
    std::string scr;           // the saver program copied into it
    std::string accessoryDir;  // <dir>\Program Files\Tools
    std::string accessory;     // <accessoryDir>\velkarodin.exe (with WithAccessory)
    std::string AccessoryLog() const { return accessoryDir + "\\accessory_log.txt"; }
    std::string ProbeLog() const { return scr.substr(0, scr.size() - 4) + ".log"; }
    auto ProbeMessages() const { return ParseMessageLines(ReadLines(ProbeLog())); }
    // Posts a marker to the probe's window and waits until the probe has
    // recorded it: all that was posted before has been handled. Twice, so that
    // what those messages posted in turn (WM_CLOSE after a key) has been too.
    bool FlushProbe(HWND window) const;
    std::string File(const std::string& name) const { return dir + "\\" + name; }
};

// A fresh folder MakeTestDir(testName) holding the program as scrName.
// QuietSettings writes an accessory path that exists but is not
// velkarodin.exe (no warning, nothing started), simple mode, no music.
// WithAccessory copies the stand-in as <dir>\Program Files\Tools\velkarodin.exe
// (variant, if any, into accessory_variant.txt beside it) and the trap
// program as <dir>\Program.exe, which logs to trap_log.txt if an unquoted
// start reaches it.
SaverFolder PrepareSaverFolder(const std::string& testName,
                               const std::string& scrName = "velkaro_ss_launcher.scr",
                               unsigned parts = BuiltSaver, const std::string& variant = "");

// The stand-in accessory's logged value for a key ("cmdline", "cwd", "pid", "window").
std::string LogValue(const std::string& log, const std::string& key);
// The logged accessory process, opened for waiting and ending (null when it is gone).
HANDLE AccessoryHandle(const SaverFolder& s);

// Ends, when the test leaves its scope, the accessory that the saver started
// for this folder if it still runs (by the process id it logged).
struct AccessoryReaper {
    SaverFolder folder;
    explicit AccessoryReaper(const SaverFolder& s) : folder(s) {}
    ~AccessoryReaper();
};

// A test folder with the stand-in accessory, ended with the scope if left running.
struct AccessoryFolder : SaverFolder {
    AccessoryReaper reaper;
    AccessoryFolder(const std::string& name, const std::string& variant = "",
                    const std::string& scrName = "velkaro_ss_launcher.scr", unsigned parts = 0)
        : SaverFolder(PrepareSaverFolder(name, scrName, parts | WithAccessory, variant)),
          reaper(*this) {}
};
