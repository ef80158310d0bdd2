// Helpers shared by the host's Wine tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace host_test {

const char* const kSaverClass = "WindowsScreenSaverClass";
const DWORD kMinusOne = 0xFFFFFFFF;

// A test folder holding the built saver under the given name, with settings
// that keep the launcher quiet (an existing accessory path, no music).
std::string PrepareSaver(const std::string& dirName, const std::string& scrName);
// The same with the probe saver (hostprobe.scr built with the host).
std::string PrepareProbe(const std::string& dirName, const std::string& scrName);

// Runs a configure command line to its end. If a dialog of the saver shows,
// it is cancelled. Returns the exit code (0xDEADBEEF on time-out).
DWORD RunConfigure(const std::string& scrPath, const std::string& commandLine,
                   bool* dialogShown = NULL);

// The run-mode saver window of process pid.
HWND HostSaverWindow(DWORD pid, DWORD timeoutMs = 15000);

// Ends a running saver: posts WM_CLOSE (cancelling any message box of it
// first) and waits. Returns the exit code, 0xDEADBEEF on time-out.
DWORD CloseSaver(TestProcess* p, HWND window);

// The parent-window helper for preview runs.
struct PreviewParent {
    TestProcess process;
    HWND window = NULL;
    std::string report;
    bool Start(const std::string& dir, int width, int height);
    std::vector<std::string> ReportLines();
    // Asks the helper to list its child windows; returns the "child" lines.
    std::vector<std::string> Children();
    void Close();  // closes its window, then waits for its end
};

// Sets HKCU\Control Panel\Desktop ScreenSaveUsePassword for one test and puts
// the earlier value (or its absence) back when it goes out of scope.
struct PasswordSetting {
    PasswordSetting();
    ~PasswordSetting();
    void SetDword(DWORD value);
    void SetBinary(const std::string& bytes);
    void Remove();
    bool hadValue = false;
    DWORD type = 0;
    std::string saved;
};

// Environment of the processes this test starts (HOSTPROBE words).
struct ProbeOptions {
    explicit ProbeOptions(const char* words) { SetEnvironmentVariableA("HOSTPROBE", words); }
    ~ProbeOptions() { SetEnvironmentVariableA("HOSTPROBE", NULL); }
};

}  // namespace host_test
