// Helpers shared by the host's Wine tests: the probe saver as a recorder,
// and the built saver's run and configure modes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "host/saver_app.h"
#include "message_table.h"
#include "parent_window.h"
#include "probe_messages.h"
#include "registry_scope.h"
#include "saver_folder.h"
#include "test_process.h"

namespace host_test {

const DWORD kMinusOne = 0xFFFFFFFF;

// A test folder with the built saver as scrName and quiet settings; its path.
inline std::string QuietSaver(const std::string& testName,
                              const std::string& scrName = "velkaro_ss_launcher.scr")
{
    return PrepareSaverFolder(testName, scrName, QuietSettings).scr;
}

// Ends a running built saver (which asks no password) with WM_CLOSE: the
// exit code.
DWORD CloseSaver(TestProcess* p, HWND window);
// The window's answer to a sent message; 99 when it gave none within 5 s.
DWORD_PTR SentAnswer(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// The probe saver (hostprobe.scr, or hostprobe95.scr that runs as the 95
// family) in a folder of its own; unless answer is null, with the stand-in
// PASSWORD.CPL, which answers answer (unless empty).
struct Probe {
    SaverFolder folder;
    TestProcess process;
    HWND window = NULL;

    void Prepare(const std::string& testName, const std::string& scrName = "hostprobe.scr",
                 const char* answer = NULL);
    bool Start(const std::string& args);
    // Prepare, then run mode: the window shown and in the foreground.
    bool StartRun(const std::string& testName, const std::string& scrName = "hostprobe.scr",
                  const char* answer = NULL);
    // Preview in parent: its child window.
    bool StartPreview(const ParentWindow& parent);
    std::vector<std::string> Lines() { return ReadLines(folder.ProbeLog()); }
    std::vector<RecordedMessage> Messages() { return ParseMessageLines(Lines()); }
    std::vector<RecordedMessage> MessagesFrom(size_t first);  // Messages() from [first] on
    int Count(const std::string& prefix) { return CountPrefix(Lines(), prefix); }
    bool Flush() { return folder.FlushProbe(window); }
    // Waits until the hardware mouse move to (x, y) has reached the probe
    // (real input comes after posted messages, so Flush does not cover it).
    bool WaitForMouseAt(int x, int y);
    DWORD WaitEnd(DWORD timeoutMs = 15000) { return process.ExitCode(timeoutMs); }
    // Posts message: the exit code of the end it should bring.
    DWORD EndAfter(UINT message, WPARAM wParam = 0);
    DWORD EndByKey() { return EndAfter(WM_KEYDOWN, VK_SPACE); }

    // The stand-in password provider in the system folder (95 family); its
    // files are beside the saver.
    SystemFolderFile provider;
    void Answer(const std::string& mode) { WriteFileBytes(folder.File("provider.txt"), mode); }
    std::vector<std::string> ProviderCalls() { return ReadLines(folder.File("provider.log")); }
    int VerifyCount() { return CountPrefix(ProviderCalls(), "verify"); }
    bool WaitVerifyCount(int n) { return WaitUntil([&] { return VerifyCount() >= n; }, 10000); }
    // Closes the window for good: the provider accepts, and WM_CLOSE is
    // posted until one is confirmed.
    DWORD Finish();
};

// Environment of the processes this test starts (HOSTPROBE words).
struct ProbeOptions {
    explicit ProbeOptions(const char* words) { SetEnvironmentVariableA("HOSTPROBE", words); }
    ~ProbeOptions() { SetEnvironmentVariableA("HOSTPROBE", NULL); }
};

}  // namespace host_test
