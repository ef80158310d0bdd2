#include "host_test_support.h"

#include <stdlib.h>

namespace host_test {

std::string QuietSaver(const std::string& testName, const std::string& scrName)
{
    return PrepareSaverFolder(testName, scrName, QuietSettings).scr;
}

DWORD RunConfigure(const std::string& scrPath, const std::string& commandLine, bool* dialogShown)
{
    if (dialogShown) *dialogShown = false;
    TestProcess p;
    if (!p.Start(scrPath, commandLine)) return kTimedOut;
    HWND dialog = NULL;
    WaitUntil([&] {
        dialog = WaitForWindow("#32770", NULL, p.id, 0);
        return dialog || !p.Running();
    }, 20000);
    if (dialog && dialogShown) *dialogShown = true;
    if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return p.ExitCode(20000);
}

HWND StartRunWindow(TestProcess* p, const std::string& scrPath, const std::string& commandLine)
{
    return p->Start(scrPath, commandLine) ? WaitForSaverWindow(p->id, 15000) : NULL;
}

DWORD RunUntilClosed(const std::string& scrPath, const std::string& commandLine)
{
    TestProcess p;
    HWND window = StartRunWindow(&p, scrPath, commandLine);
    return window ? CloseSaver(&p, window) : kTimedOut;
}

DWORD CloseSaver(TestProcess* p, HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
    return p->ExitCode(15000);
}

DWORD_PTR SentAnswer(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR r = 99;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &r)) r = 99;
    return r;
}

void Probe::Prepare(const std::string& testName, const std::string& scrName, const char* answer)
{
    folder = PrepareSaverFolder(testName, scrName, ProbeProgram);
    if (answer) CopyInto(BinFile("password_provider.dll"), folder.dir, "PASSWORD.CPL");
    if (answer && *answer) Answer(answer);
}

bool Probe::Start(const std::string& args)
{
    DeleteFileA(folder.ProbeLog().c_str());
    return StartSaver(&process, folder.scr, args);
}

bool Probe::StartRun()
{
    if (!Start("/s")) return false;
    window = WaitForSaverWindow(process.id, 15000);
    // Shown, and then brought to the foreground, where real input goes.
    return window != NULL && WaitUntil([&] { return GetForegroundWindow() == window; }, 10000);
}

bool Probe::StartRun(const std::string& testName, const std::string& scrName, const char* answer)
{
    Prepare(testName, scrName, answer);
    return StartRun();
}

bool Probe::Flush()
{
    for (int round = 0; round < 2; ++round) {
        int n = ++markers;
        if (!PostMessageA(window, probeMarkerMessage, n, 0)) return false;
        char line[32];
        snprintf(line, sizeof line, "A %04X %d 0", probeMarkerMessage, n);
        if (!WaitForLine(folder.ProbeLog(), line, 10000)) return false;
    }
    return true;
}

bool Probe::WaitForMouseAt(int x, int y)
{
    auto seen = [&] {
        for (const RecordedMessage& m : Messages())
            if (m.message == WM_MOUSEMOVE && m.where == App && m.lParam == MAKELPARAM(x, y))
                return true;
        return false;
    };
    for (int attempt = 0; attempt < 3; attempt++) {
        if (WaitUntil(seen, 3000)) return true;
        // Under heavy load Wine now and then drops the move that SetCursorPos
        // makes, or a late event of an earlier move puts the cursor back. The
        // host measures travel with GetCursorPos, not from the message: put
        // the cursor where the test wants it, or post the move that follows.
        POINT now;
        GetCursorPos(&now);
        if (now.x != x || now.y != y)
            SetCursorPos(x, y);
        else
            PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }
    return WaitUntil(seen, 3000);
}

DWORD Probe::EndByKey()
{
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    return WaitEnd();
}

bool Probe::WaitVerifyCount(int n)
{
    return WaitUntil([&] { return VerifyCount() >= n; }, 10000);
}

DWORD Probe::Finish()
{
    Answer("accept");
    // A close within 200 ms of a refused check is refused unasked: post
    // again after each close the probe has seen, until the process ends.
    WaitUntil([&] {
        int closes = Count("D 0010");
        PostMessageA(window, WM_CLOSE, 0, 0);
        WaitUntil([&] { return Count("D 0010") > closes || !process.Running(); }, 5000);
        return !process.Running();
    }, 15000);
    return WaitEnd(5000);
}

int ScreenSaverRunning()
{
    // Wine keeps the state in a volatile registry value and caches it per
    // process once read, so there it is read from the registry.
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER,
                      "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop", 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
        BOOL running = FALSE;
        return SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) ? running != 0 : -1;
    }
    char data[64] = "";
    DWORD size = sizeof data - 1, type = 0;
    LONG status = RegQueryValueExA(key, "WINE_ScreenSaverRunning", NULL, &type, (BYTE*)data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return -1;
    if (type == REG_DWORD) return *(DWORD*)data != 0;
    return atoi(data) != 0;
}

}  // namespace host_test
