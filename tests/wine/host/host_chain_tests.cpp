// The message chain and the closing rules, seen through the probe saver
// (the host with a recording application in place of the launcher).
#include <gtest/gtest.h>

#include <stdio.h>

#include "host_test_support.h"
#include "platform_checks.h"

namespace host_test {
namespace {

struct Probe {
    TestProcess process;
    HWND window = NULL;
    std::string log;

    bool Start(const std::string& scr, const std::string& args)
    {
        log = scr.substr(0, scr.size() - 4) + ".log";
        DeleteFileA(log.c_str());
        return StartSaver(&process, scr, args);
    }
    bool StartRun(const std::string& scr)
    {
        if (!Start(scr, "/s")) return false;
        window = HostSaverWindow(process.id);
        return window != NULL && WaitFor("D 0001 = 0");
    }
    std::vector<std::string> Lines() { return ReadLines(log); }
    bool WaitFor(const std::string& line, DWORD timeoutMs = 10000)
    {
        DWORD start = GetTickCount();
        do {
            if (Contains(Lines(), line)) return true;
            Sleep(30);
        } while (GetTickCount() - start < timeoutMs);
        return false;
    }
    int Count(const std::string& prefix) { return CountPrefix(Lines(), prefix); }
    // Sends a message through the whole loop and back: everything posted
    // before it has been handled when this returns.
    void Sync()
    {
        DWORD_PTR r;
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
        Sleep(100);
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    }
    DWORD WaitEnd(DWORD timeoutMs = 15000)
    {
        DWORD code = 0xDEADBEEF;
        if (!process.Wait(timeoutMs, &code)) return 0xDEADBEEF;
        return code;
    }
};

std::string Hex(UINT message)
{
    char text[8];
    snprintf(text, sizeof text, "%04X", message);
    return text;
}

// Lines of the log that concern the given messages, keeping their order.
std::vector<std::string> Filter(const std::vector<std::string>& lines,
                                const std::vector<UINT>& messages)
{
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        if (line.size() < 6 || (line[0] != 'L' && line[0] != 'D')) continue;
        for (UINT m : messages) {
            if (line.compare(2, 4, Hex(m)) == 0) {
                out.push_back(line.substr(0, 6) +
                              (line[0] == 'D' ? line.substr(6) : std::string()));
                break;
            }
        }
    }
    return out;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

// One run: start, apply the action, expect the window to close (or not).
void ExpectCloses(const std::string& name, void (*action)(HWND), bool closes)
{
    std::string scr = PrepareProbe("host_chain_rule", "hostprobe.scr");
    Probe probe;
    ASSERT_TRUE(probe.StartRun(scr)) << name;
    action(probe.window);
    probe.Sync();
    if (closes) {
        EXPECT_EQ(0u, probe.WaitEnd()) << name;
        EXPECT_GE(probe.Count("L 0010"), 1) << name;
    } else {
        Sleep(300);
        EXPECT_TRUE(probe.process.Running()) << name;
        EXPECT_EQ(0, probe.Count("L 0010")) << name << "\n" << Join(probe.Lines());
        EXPECT_EQ(0u, CloseSaver(&probe.process, probe.window)) << name;
    }
}

}  // namespace

TEST(HostChain, CreationAndCloseSequence)
{
    std::string scr = PrepareProbe("host_chain_seq", "hostprobe.scr");
    Probe probe;
    ASSERT_TRUE(probe.StartRun(scr));
    std::vector<std::string> lines = probe.Lines();
    // Host state seen by the application at creation: NT family, run mode,
    // the class as registered, no provider; saverWindow is set only when
    // CreateWindowExA returns.
    std::string create;
    for (const std::string& l : lines)
        if (l.compare(0, 7, "create ") == 0) create = l;
    EXPECT_NE(std::string::npos, create.find("family95=0 preview=0 autoplay=0")) << create;
    EXPECT_NE(std::string::npos,
              create.find("classstyle=43 classicon=0 classcursor=0 blackbrush=1 saverWindowSet=0 provider=0"))
        << create;
    // WM_ACTIVATE and WM_NCACTIVATE reach the application, never the default.
    EXPECT_GE(probe.Count("L 0006"), 1);
    EXPECT_GE(probe.Count("L 0086"), 1);
    EXPECT_EQ(0, probe.Count("D 0006"));
    EXPECT_EQ(0, probe.Count("D 0086"));
    // Creation, showing and activation pass the chain in this order; the
    // activation messages stop in the application.
    std::vector<std::string> start =
        Filter(lines, {WM_NCCREATE, WM_CREATE, WM_SHOWWINDOW, WM_ACTIVATEAPP, WM_NCACTIVATE,
                       WM_ACTIVATE});
    std::vector<std::string> expectedStart = {"L 0081", "D 0081 = 1", "L 0001", "D 0001 = 0",
                                              "L 0018", "D 0018 = 0", "L 001C", "D 001C = 0",
                                              "L 0086", "L 0006"};
    EXPECT_EQ(Join(expectedStart), Join(start));
    // The cursor is hidden at creation and when the window is shown.
    EXPECT_TRUE(Contains(lines, "C 0001 cursor=0"));
    EXPECT_TRUE(Contains(lines, "C 0018 cursor=0"));
    // IMM32.DLL is loaded in a GUI process here: the window has no input
    // context while it lives, and gets the old one back at destruction.
    EXPECT_NE(std::string::npos, create.find("imm=1 saved=1 context=0")) << create;
    // A key closes it: the key-down, then WM_CLOSE, inside whose default
    // handling the window is destroyed.
    size_t before = probe.Lines().size();
    PostMessageA(probe.window, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(0u, probe.WaitEnd());
    lines = probe.Lines();
    std::vector<std::string> tail(lines.begin() + before, lines.end());
    std::vector<std::string> closing = Filter(tail, {WM_KEYDOWN, WM_CLOSE, WM_DESTROY, WM_NCDESTROY});
    std::vector<std::string> expectedClose = {"L 0100", "D 0100 = 0",   "L 0010", "L 0002",
                                              "D 0002 = 0", "L 0082", "D 0082 = 0", "D 0010 = 0"};
    EXPECT_EQ(Join(expectedClose), Join(closing)) << Join(tail);
    EXPECT_TRUE(Contains(lines, "destroy context=1 isClosing=0"));
}

TEST(HostChain, HostOwnMessagesAndSystemCommands)
{
    std::string scr = PrepareProbe("host_chain_own", "hostprobe.scr");
    Probe probe;
    ASSERT_TRUE(probe.StartRun(scr));
    DWORD_PTR r = 99;
    // WM_SETTEXT stops in the host.
    SendMessageTimeoutA(probe.window, WM_SETTEXT, 0, (LPARAM) "x", SMTO_ABORTIFHUNG, 5000, &r);
    EXPECT_EQ(0u, r);
    EXPECT_EQ(0, probe.Count("L 000C"));
    // Outside preview these three system commands are swallowed with 0...
    for (WPARAM command : {SC_SCREENSAVE, SC_NEXTWINDOW, SC_PREVWINDOW}) {
        r = 99;
        SendMessageTimeoutA(probe.window, WM_SYSCOMMAND, command, 0, SMTO_ABORTIFHUNG, 5000, &r);
        EXPECT_EQ(0u, r);
    }
    EXPECT_EQ(0, probe.Count("L 0112"));
    // ...but one that differs in the low four bits goes down the chain.
    SendMessageTimeoutA(probe.window, WM_SYSCOMMAND, SC_NEXTWINDOW + 1, 0, SMTO_ABORTIFHUNG, 5000,
                        &r);
    EXPECT_EQ(1, probe.Count("L 0112 61505 0"));
    EXPECT_EQ(1, probe.Count("D 0112"));
    // Outside preview WM_CONTEXTMENU goes down the chain too.
    SendMessageTimeoutA(probe.window, WM_CONTEXTMENU, (WPARAM)probe.window, 0, SMTO_ABORTIFHUNG,
                        5000, &r);
    EXPECT_EQ(1, probe.Count("D 007B"));
    // A timer message reaches the application and the default procedure.
    PostMessageA(probe.window, WM_TIMER, 77, 0);
    probe.Sync();
    EXPECT_EQ(1, probe.Count("L 0113 77 0"));
    EXPECT_EQ(1, probe.Count("D 0113"));
    // WM_SETCURSOR hides the cursor and answers 1 in run mode.
    SendMessageTimeoutA(probe.window, WM_SETCURSOR, (WPARAM)probe.window,
                        MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), SMTO_ABORTIFHUNG, 5000, &r);
    EXPECT_EQ(1u, r);
    EXPECT_TRUE(probe.WaitFor("C 0020 cursor=0"));
    // The private verify message is no password check on NT: 0.
    SendMessageTimeoutA(probe.window, 0x8000, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    EXPECT_EQ(0u, r);
    // A registered "QueryCancelAutoPlay" is not special on NT.
    UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
    SendMessageTimeoutA(probe.window, autoPlay, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    EXPECT_EQ(0u, r);
    probe.Sync();
    Sleep(200);
    EXPECT_TRUE(probe.process.Running());
    EXPECT_EQ(0, probe.Count("L 0010"));
    // The cursor was hidden at creation.
    EXPECT_TRUE(Contains(probe.Lines(), "C 0001 cursor=0"));
    EXPECT_EQ(0u, CloseSaver(&probe.process, probe.window));
}

TEST(HostChain, InputThatCloses)
{
    struct Case {
        const char* name;
        void (*action)(HWND);
    } cases[] = {
        {"key-down", [](HWND w) { PostMessageA(w, WM_KEYDOWN, VK_SPACE, 0); }},
        {"system key-down", [](HWND w) { PostMessageA(w, WM_SYSKEYDOWN, VK_MENU, 0); }},
        {"left button", [](HWND w) { PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, 0); }},
        {"right button", [](HWND w) { PostMessageA(w, WM_RBUTTONDOWN, MK_RBUTTON, 0); }},
        {"middle button", [](HWND w) { PostMessageA(w, WM_MBUTTONDOWN, MK_MBUTTON, 0); }},
        {"activation lost", [](HWND w) { PostMessageA(w, WM_ACTIVATEAPP, 0, 0); }},
        {"critical resume", [](HWND w) { PostMessageA(w, WM_POWER, 3, 0); }},
        {"power broadcast", [](HWND w) { PostMessageA(w, WM_POWERBROADCAST, 0x12345, 0); }},
        {"real key", [](HWND) { PressKey(VK_SHIFT); }},
    };
    for (const Case& c : cases) ExpectCloses(c.name, c.action, true);
}

TEST(HostChain, InputThatDoesNotClose)
{
    // One window takes all of these, and still stands.
    ExpectCloses("harmless", [](HWND w) {
        PostMessageA(w, WM_KEYUP, VK_SPACE, 0xC0000001);
        PostMessageA(w, WM_SYSKEYUP, VK_MENU, 0xC0000001);
        PostMessageA(w, WM_CHAR, 'a', 1);
        PostMessageA(w, WM_LBUTTONUP, 0, 0);
        PostMessageA(w, WM_RBUTTONUP, 0, 0);
        PostMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
        PostMessageA(w, WM_MBUTTONDBLCLK, MK_MBUTTON, 0);
        PostMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
        PostMessageA(w, WM_ACTIVATEAPP, 1, 0);
        PostMessageA(w, WM_POWER, 1, 0);
        PostMessageA(w, WM_POWER, 2, 0);
        // A mouse message whose position did not really change.
        PostMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(900, 700));
    }, false);
}

TEST(HostChain, MouseTravelAddsUpFromTheReference)
{
    SetCursorPos(400, 300);
    std::string scr = PrepareProbe("host_chain_mouse", "hostprobe.scr");
    Probe probe;
    ASSERT_TRUE(probe.StartRun(scr));
    int moves = probe.Count("L 0200");
    // 3 across and 1 down: travel 4, no close.
    SetCursorPos(403, 301);
    probe.Sync();
    DWORD start = GetTickCount();
    while (probe.Count("L 0200") == moves && GetTickCount() - start < 5000) Sleep(50);
    ASSERT_GT(probe.Count("L 0200"), moves) << "no mouse move arrived";
    probe.Sync();
    Sleep(200);
    EXPECT_EQ(0, probe.Count("L 0010"));
    EXPECT_TRUE(probe.process.Running());
    // One more across: 5 from the unchanged reference closes.
    SetCursorPos(404, 301);
    EXPECT_EQ(0u, probe.WaitEnd());
    EXPECT_GE(probe.Count("L 0010"), 1);
}

TEST(HostChain, MouseTravelBackAndForthCounts)
{
    // Travel is the distance from the reference, not the path: moving away
    // by 2 and back does not add up.
    SetCursorPos(500, 400);
    std::string scr = PrepareProbe("host_chain_mouse2", "hostprobe.scr");
    Probe probe;
    ASSERT_TRUE(probe.StartRun(scr));
    SetCursorPos(498, 398);
    probe.Sync();
    SetCursorPos(500, 400);
    probe.Sync();
    SetCursorPos(502, 402);
    probe.Sync();
    Sleep(200);
    EXPECT_EQ(0, probe.Count("L 0010"));
    EXPECT_TRUE(probe.process.Running());
    SetCursorPos(497, 400);  // 3 + 0, still 4 or less
    probe.Sync();
    SetCursorPos(495, 400);  // 5
    EXPECT_EQ(0u, probe.WaitEnd());
}

TEST(HostChain, PreviewAppliesNoClosingRules)
{
    std::string scr = PrepareProbe("host_chain_preview", "hostprobe.scr");
    PreviewParent parent;
    ASSERT_TRUE(parent.Start(MakeTestDir("host_chain_preview_parent"), 120, 90));
    Probe probe;
    ASSERT_TRUE(probe.Start(scr, "/p " + Decimal(parent.window)));
    ASSERT_TRUE(probe.WaitFor("D 0001 = 0"));
    HWND child = FindWindowExA(parent.window, NULL, kSaverClass, "Preview");
    ASSERT_TRUE(child != NULL);
    probe.window = child;
    EXPECT_EQ(1, CountPrefix(probe.Lines(), "create family95=0 preview=1"));
    PostMessageA(child, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(child, WM_LBUTTONDOWN, 0, 0);
    PostMessageA(child, WM_ACTIVATEAPP, 0, 0);
    PostMessageA(child, WM_POWERBROADCAST, 0, 0);
    DWORD_PTR r = 99;
    // WM_SETCURSOR goes to DefWindowProcA: no class cursor, so 0.
    SendMessageTimeoutA(child, WM_SETCURSOR, (WPARAM)child, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE),
                        SMTO_ABORTIFHUNG, 5000, &r);
    EXPECT_EQ(0u, r);
    // System commands and help are not the host's in preview: the commands
    // go down the chain, WM_HELP goes to the parent.
    SendMessageTimeoutA(child, WM_SYSCOMMAND, SC_NEXTWINDOW, 0, SMTO_ABORTIFHUNG, 5000, &r);
    EXPECT_EQ(1, probe.Count("L 0112 61504 0"));
    r = 0;
    SendMessageTimeoutA(child, WM_CONTEXTMENU, (WPARAM)child, 0, SMTO_ABORTIFHUNG, 5000, &r);
    EXPECT_EQ(1u, r);
    HELPINFO help;
    ZeroMemory(&help, sizeof help);
    help.cbSize = sizeof help;
    help.iContextType = HELPINFO_WINDOW;
    help.hItemHandle = child;
    r = 0;
    SendMessageTimeoutA(child, WM_HELP, 0, (LPARAM)&help, SMTO_ABORTIFHUNG, 5000, &r);
    EXPECT_EQ(1u, r);
    EXPECT_EQ(0, probe.Count("L 007B"));
    EXPECT_EQ(0, probe.Count("L 0053"));
    probe.Sync();
    Sleep(300);
    EXPECT_EQ(0, probe.Count("L 0010"));
    EXPECT_TRUE(probe.process.Running());
    // WM_CLOSE destroys the preview without a check.
    PostMessageA(child, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, probe.WaitEnd());
    parent.Close();
}

TEST(HostChain, FaultInTheSaverProcedureReachesTheGuard)
{
    SKIP_UNLESS_FAULTS_STAY();
    std::string scr = PrepareProbe("host_chain_fault", "hostprobe.scr");
    Probe probe;
    ASSERT_TRUE(probe.StartRun(scr));
    PostMessageA(probe.window, WM_USER + 0x77, 0, 0);
    EXPECT_EQ(0xC0000005u, probe.WaitEnd());
    EXPECT_EQ(1, probe.Count("L 0477"));
}

TEST(HostChain, GuardExitCodeIsTheExceptionCodeOrOne)
{
    SKIP_UNLESS_FAULTS_STAY();
    std::string scr = PrepareProbe("host_chain_raise", "hostprobe.scr");
    for (DWORD code : {0xE0001234u, 0u}) {
        Probe probe;
        ASSERT_TRUE(probe.StartRun(scr));
        PostMessageA(probe.window, WM_USER + 0x78, code, 0);
        EXPECT_EQ(code != 0 ? code : 1u, probe.WaitEnd()) << code;
    }
}

TEST(HostConfigure, DialogOwnerAndEndValue)
{
    std::string scr = PrepareProbe("host_conf", "hostprobe.scr");
    std::string log = scr.substr(0, scr.size() - 4) + ".log";
    PreviewParent first, second;
    ASSERT_TRUE(first.Start(MakeTestDir("host_conf_p1"), 100, 80));
    ASSERT_TRUE(second.Start(MakeTestDir("host_conf_p2"), 100, 80));
    DWORD start = GetTickCount();
    while (GetForegroundWindow() != second.window && GetTickCount() - start < 5000) {
        SetForegroundWindow(second.window);
        Sleep(50);
    }
    HWND foreground = GetForegroundWindow();
    ASSERT_TRUE(foreground == first.window || foreground == second.window);
    HWND other = foreground == first.window ? second.window : first.window;
    struct Row {
        std::string args;
        HWND owner;
    } rows[] = {
        {"", NULL},
        {"/", NULL},
        {"/c", foreground},
        {"-C 123", foreground},
        {"/c " + Decimal(other), foreground},
        {"/c:" + Decimal(other), other},
        {"/c:" + Decimal(other) + " more", other},
        {"/c:0", foreground},
        {"/c:4000000", foreground},
        {"/c:" + Decimal((unsigned long long)(UINT_PTR)other + 4294967296ull), other},
    };
    for (const Row& row : rows) {
        DeleteFileA(log.c_str());
        EXPECT_EQ(7u, RunSaver(scr, row.args)) << row.args;
        EXPECT_EQ(Join({"dialog owner=" + Decimal(row.owner)}), Join(ReadLines(log))) << row.args;
    }
    // A quoted program name without its closing quote takes the whole line:
    // configure mode without a parent.
    DeleteFileA(log.c_str());
    TestProcess unclosed;
    ASSERT_TRUE(unclosed.Start(scr, "\"" + scr + " /s"));
    DWORD code = 0xDEADBEEF;
    EXPECT_TRUE(unclosed.Wait(20000, &code));
    EXPECT_EQ(7u, code);
    EXPECT_EQ(Join({"dialog owner=0"}), Join(ReadLines(log)));
    first.Close();
    second.Close();
}

TEST(HostChain, FailedWindowCreationEndsWithOne)
{
    std::string scr = PrepareProbe("host_chain_failcreate", "hostprobe.scr");
    ProbeOptions options("failcreate");
    EXPECT_EQ(1u, RunSaver(scr, "/s"));
    PreviewParent parent;
    ASSERT_TRUE(parent.Start(MakeTestDir("host_chain_failcreate_parent"), 100, 80));
    EXPECT_EQ(1u, RunSaver(scr, "/p " + Decimal(parent.window)));
    EXPECT_TRUE(parent.Children().empty());
    parent.Close();
}

TEST(HostConfigure, FaultInTheDialogProcedureReachesTheGuard)
{
    SKIP_UNLESS_FAULTS_STAY();
    std::string scr = PrepareProbe("host_conf_fault", "hostprobe.scr");
    ProbeOptions options("dialogcrash");
    EXPECT_EQ(0xC0000005u, RunSaver(scr, "/c"));
}

TEST(HostClosing95, AfterTheCloseIsConfirmedInputAndTimersStopInTheHost)
{
    SKIP_UNLESS_95_FAMILY("hostprobe95.scr");
    // 95 family without a password: the first WM_CLOSE confirms the close.
    PasswordSetting setting;
    setting.Remove();
    std::string scr = PrepareProbe("host_closing95", "hostprobe95.scr");
    ProbeOptions options("afterclose");
    Probe probe;
    ASSERT_TRUE(probe.StartRun(scr));
    EXPECT_EQ(1, CountPrefix(probe.Lines(), "create family95=1 preview=0 autoplay=1"));
    PostMessageA(probe.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, probe.WaitEnd());
    std::vector<std::string> lines = probe.Lines();
    EXPECT_TRUE(Contains(lines, "destroy context=" + std::string("0 isClosing=1")) ||
                Contains(lines, "destroy context=1 isClosing=1") ||
                Contains(lines, "destroy context=-1 isClosing=1"))
        << Join(lines);
    // After each "S" line: timer and input messages stop in the host; other
    // messages still pass the chain, and go to DefWindowProcA.
    std::vector<std::string> after;
    bool seen = false;
    for (const std::string& l : lines) {
        if (l.compare(0, 2, "S ") == 0) seen = true;
        if (seen && (l[0] == 'S' || l[0] == 'L' || l[0] == 'D')) after.push_back(l);
    }
    std::vector<std::string> expected = {
        "S 0113 isClosing=1", "S 0100 isClosing=1", "S 0104 isClosing=1", "S 0200 isClosing=1",
        "S 0201 isClosing=1", "S 0204 isClosing=1", "S 0207 isClosing=1", "S 000F isClosing=1",
        "S 0020 isClosing=1", "L 0020 " + Decimal(probe.window) + " 33554433", "D 0020 = 0",
        "S 0405 isClosing=1", "L 0405 0 0", "D 0405 = 0"};
    std::vector<std::string> got;
    for (const std::string& l : after) {
        got.push_back(l);
        if (got.size() == expected.size()) break;
    }
    EXPECT_EQ(Join(expected), Join(got));
}

}  // namespace host_test
