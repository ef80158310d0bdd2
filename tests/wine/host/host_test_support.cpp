#include "host_test_support.h"
#include "saver_windows.h"

#include <algorithm>

namespace host_test {

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
    if (answer) provider.Install(BinFile("password_provider.dll"), "PASSWORD.CPL");
    if (answer && *answer) Answer(answer);
}

bool Probe::Start(const std::string& args)
{
    DeleteFileA(folder.ProbeLog().c_str());
    return StartSaver(&process, folder.scr, args);
}

bool Probe::StartRun(const std::string& testName, const std::string& scrName, const char* answer)
{
    Prepare(testName, scrName, answer);
    if (!Start("/s")) return false;
    window = WaitForSaverWindow(process.id, 15000);
    // Shown, and then brought to the foreground, where real input goes.
    return window && WaitUntil([&] { return GetForegroundWindow() == window; }, 10000);
}

bool Probe::StartPreview(const ParentWindow& parent)
{
    if (!Start("/p " + Decimal(parent.window))) return false;
    window = WaitForPreviewChild(parent.window, process.process);
    return window != NULL;
}

std::vector<RecordedMessage> Probe::MessagesFrom(size_t first)
{
    std::vector<RecordedMessage> all = Messages();
    return std::vector<RecordedMessage>(all.begin() + std::min(first, all.size()), all.end());
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

DWORD Probe::EndAfter(UINT message, WPARAM wParam)
{
    PostMessageA(window, message, wParam, 0);
    return WaitEnd();
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

}  // namespace host_test
