// Folders with the saver, the stand-in accessory and settings for one test.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct SaverSetup {
    std::string dir;          // test folder
    std::string scr;          // the saver copied into it
    std::string accessoryDir; // folder of velkarodin.exe ("Program Files\Tools")
    std::string accessory;    // its path
    std::string accessoryLog() const { return accessoryDir + "\\accessory_log.txt"; }
};

// Copies the saver (as scrName) and, when withAccessory, the stand-in
// accessory as <dir>\Program Files\Tools\velkarodin.exe with the trap program
// as <dir>\Program.exe; variant goes to accessory_variant.txt.
SaverSetup PrepareSaver(const std::string& name, bool withAccessory, const std::string& variant = "",
                        const std::string& scrName = "velkaro_ss_launcher.scr");

// Ends, when the test leaves its scope, the accessory that the saver started
// for this setup if it still runs (by the process id it logged).
struct AccessoryReaper {
    std::string log;
    explicit AccessoryReaper(const SaverSetup& s) : log(s.accessoryLog()) {}
    ~AccessoryReaper();
};

// Moves the cursor to a fixed point away from the screen edges.
void ParkCursor();
const int parkX = 500, parkY = 400;

// The accessory's logged value for a key ("cmdline", "cwd", "pid", "window").
std::string LogValue(const std::string& log, const std::string& key);
// Number of lines in log containing needle.
int CountLines(const std::string& log, const std::string& needle);
// Opens a process by id for waiting (null when it is gone).
HANDLE OpenForWait(DWORD pid);
// Pixel colour of the screen.
COLORREF ScreenPixel(int x, int y);

// A top-level window of this test process, run on its own thread so that it
// answers the messages a preview child of another process sends it.
struct ParentWindow {
    HWND window = NULL;
    HANDLE thread = NULL;
    bool Create(int width, int height);
    void Destroy();  // destroys the window (and with it any child), ends the thread
    ~ParentWindow() { Destroy(); }
};

// Sets HKCU\Control Panel\Desktop ScreenSaveUsePassword to 1 for one test and
// removes it again.
struct PasswordOn {
    PasswordOn();
    ~PasswordOn();
};

// Sends a key press and release to whatever has the keyboard.
void Key();
