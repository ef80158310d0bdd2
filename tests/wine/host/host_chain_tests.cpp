// The message chain and the closing rules, seen through the probe saver
// (the host with a recording application in place of the launcher).
#include <gtest/gtest.h>

#include "host/host_internal.h"
#include "host_test_support.h"
#include "platform_checks.h"
#include "window_probe.h"

extern "C" uintptr_t __stack_chk_guard;

namespace host_test {
namespace {

// Creation, showing and activation pass the chain in this order; the
// activation messages stop in the application.
const ExpectedMessage runStart[] = {
    {WM_NCCREATE, App},    {WM_NCCREATE, Default, 1},   {WM_CREATE, App},
    {WM_CREATE, Default},  {WM_SHOWWINDOW, App},        {WM_SHOWWINDOW, Default},
    {WM_ACTIVATEAPP, App}, {WM_ACTIVATEAPP, Default},   {WM_NCACTIVATE, App},
    {WM_ACTIVATE, App},    {0}};

// A key closes: the key-down, then WM_CLOSE, inside whose default handling
// the window is destroyed.
const ExpectedMessage closeOnKey[] = {
    {WM_KEYDOWN, App},     {WM_KEYDOWN, Default},       {WM_CLOSE, App},
    {WM_DESTROY, App},     {WM_DESTROY, Default},       {WM_NCDESTROY, App},
    {WM_NCDESTROY, Default}, {WM_CLOSE, Default},       {0}};

// Outside preview: SC_SCREENSAVE, SC_NEXTWINDOW and SC_PREVWINDOW stop in
// the host, a command differing in the low four bits goes down the chain;
// so do WM_CONTEXTMENU, a timer, WM_SETCURSOR (answered 1) and the verify
// message (0 on NT).
const ExpectedMessage hostOwnMessages[] = {
    {WM_SYSCOMMAND, App | WParam, 0, SC_NEXTWINDOW + 1}, {WM_SYSCOMMAND, Default},
    {WM_CONTEXTMENU, App},  {WM_CONTEXTMENU, Default},
    {WM_TIMER, App | WParam, 0, 77}, {WM_TIMER, Default},
    {WM_SETCURSOR, App | LParam, 0, 0, MAKELPARAM(HTCLIENT, WM_RBUTTONDOWN)},
    {WM_SETCURSOR, Default, 1},
    {SaverVerifyMessage, App}, {SaverVerifyMessage, Default, 0}, {0}};

// In preview, input reaches the default procedure and closes nothing...
const ExpectedMessage previewInput[] = {
    {WM_KEYDOWN, App},        {WM_KEYDOWN, Default},    {WM_LBUTTONDOWN, App},
    {WM_LBUTTONDOWN, Default}, {WM_ACTIVATEAPP, App},   {WM_ACTIVATEAPP, Default},
    {WM_POWERBROADCAST, App}, {WM_POWERBROADCAST, Default}, {WM_CLOSE, App},
    {WM_CLOSE, Default},      {0}};

// ...WM_SETCURSOR goes to DefWindowProcA (no class cursor: 0), and so does
// the system command; WM_CONTEXTMENU and WM_HELP go to the parent instead.
const ExpectedMessage previewSent[] = {
    {WM_SETCURSOR, App},  {WM_SETCURSOR, Default, 0},
    {WM_SYSCOMMAND, App | WParam, 0, SC_NEXTWINDOW}, {WM_SYSCOMMAND, Default}, {0}};

// 95 family, once the close is confirmed (the probe sends these at
// WM_DESTROY): timer, input and paint messages stop in the host; others
// still pass the chain and go to DefWindowProcA.
const ExpectedMessage afterClose[] = {
    {WM_TIMER, Sent},      {WM_KEYDOWN, Sent},          {WM_SYSKEYDOWN, Sent},
    {WM_MOUSEMOVE, Sent},  {WM_LBUTTONDOWN, Sent},      {WM_RBUTTONDOWN, Sent},
    {WM_MBUTTONDOWN, Sent}, {WM_PAINT, Sent},           {WM_SETCURSOR, Sent},
    {WM_SETCURSOR, App | LParam, 0, 0, MAKELPARAM(HTCLIENT, WM_RBUTTONDOWN)},
    {WM_SETCURSOR, Default, 0},
    {WM_USER + 5, Sent},   {WM_USER + 5, App},          {WM_USER + 5, Default}, {0}};

// Input that closes nothing; the last is a mouse message whose position did
// not really change.
const struct Input { UINT message; WPARAM wParam; LPARAM lParam; } harmless[] = {
    {WM_KEYUP, VK_SPACE, (LPARAM)0xC0000001}, {WM_SYSKEYUP, VK_MENU, (LPARAM)0xC0000001},
    {WM_CHAR, 'a', 1},                 {WM_LBUTTONUP, 0, 0},
    {WM_RBUTTONUP, 0, 0},              {WM_LBUTTONDBLCLK, MK_LBUTTON, 0},
    {WM_MBUTTONDBLCLK, MK_MBUTTON, 0}, {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0},
    {WM_ACTIVATEAPP, 1, 0},            {WM_POWER, 1, 0},
    {WM_POWER, 2, 0},                  {WM_MOUSEMOVE, 0, MAKELPARAM(900, 700)},
    {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, 0},
};

// The cursor starts at start; each move of path reaches the probe and keeps
// the travel from start at 4 or less (no close); then a move to last closes.
void ExpectMouseCloses(const char* testName, POINT start, std::initializer_list<POINT> path,
                       POINT last)
{
    SetCursorPos(start.x, start.y);
    Probe probe;
    ASSERT_TRUE(probe.StartRun(testName));
    for (POINT p : path) {
        SetCursorPos(p.x, p.y);
        ASSERT_TRUE(probe.WaitForMouseAt(p.x, p.y)) << "no mouse move to " << p.x << "," << p.y;
    }
    ASSERT_TRUE(probe.Flush());
    EXPECT_EQ(0, probe.Count("A 0010"));
    EXPECT_TRUE(probe.process.Running());
    SetCursorPos(last.x, last.y);
    EXPECT_EQ(0u, probe.WaitEnd());
    EXPECT_GE(probe.Count("A 0010"), 1);
}

}  // namespace

// The host's seeding of the canaries' guard, eight times: top bytes differ.
TEST(HostChain, StackGuardSeedingVaries)
{
    uintptr_t first = (SeedStackGuard(), __stack_chk_guard), differ = 0;
    for (int i = 1; i < 8; ++i) differ |= ((SeedStackGuard(), __stack_chk_guard) ^ first) >> 24;
    EXPECT_NE(0u, differ);
}

TEST(HostChain, CreationAndCloseSequence)
{
    Probe probe;
    ASSERT_TRUE(probe.StartRun("host_chain_seq"));
    ASSERT_TRUE(probe.Flush());
    std::vector<std::string> lines = probe.Lines();
    // Host state seen by the application at creation: NT family, run mode,
    // the class as registered, no provider. IMM32.DLL is loaded in a GUI
    // process here: the window has no input context while it lives.
    EXPECT_TRUE(Contains(lines,
                         "create family95=0 preview=0 autoplay=0 context=0 classstyle=43 "
                         "classicon=0 classcursor=0 blackbrush=1 class=WindowsScreenSaverClass "
                         "provider=0"))
        << Join(lines);
    std::vector<RecordedMessage> started = probe.Messages();
    EXPECT_TRUE(MessagesMatch("runStart", runStart, started));
    // The cursor is hidden at creation and when the window is shown.
    EXPECT_TRUE(Contains(lines, "C 0001 cursor=0"));
    EXPECT_TRUE(Contains(lines, "C 0018 cursor=0"));
    EXPECT_EQ(0u, probe.EndAfter(WM_KEYDOWN, 'A'));
    EXPECT_TRUE(MessagesMatch("closeOnKey", closeOnKey, probe.MessagesFrom(started.size())));
    // The old input context is back at destruction; the end is ExitProcess.
    lines = probe.Lines();
    EXPECT_TRUE(Contains(lines, "destroy context=1 closing=0"));
    EXPECT_EQ("exit", lines.back());
}

TEST(HostChain, HostOwnMessagesAndSystemCommands)
{
    Probe probe;
    ASSERT_TRUE(probe.StartRun("host_chain_own"));
    ASSERT_TRUE(probe.Flush());
    size_t before = probe.Messages().size();
    HWND w = probe.window;
    // WM_SETTEXT stops in the host.
    EXPECT_EQ(0u, SentAnswer(w, WM_SETTEXT, 0, (LPARAM) "x"));
    for (WPARAM command : {SC_SCREENSAVE, SC_NEXTWINDOW, SC_PREVWINDOW})
        EXPECT_EQ(0u, SentAnswer(w, WM_SYSCOMMAND, command));
    SentAnswer(w, WM_SYSCOMMAND, SC_NEXTWINDOW + 1);
    SentAnswer(w, WM_CONTEXTMENU, (WPARAM)w);
    PostMessageA(w, WM_TIMER, 77, 0);
    ASSERT_TRUE(probe.Flush());
    // Not the lParam of the system's own WM_SETCURSOR, which may come too.
    EXPECT_EQ(1u, SentAnswer(w, WM_SETCURSOR, (WPARAM)w, MAKELPARAM(HTCLIENT, WM_RBUTTONDOWN)));
    EXPECT_EQ(0u, SentAnswer(w, SaverVerifyMessage));
    // A registered "QueryCancelAutoPlay" is not special on NT.
    EXPECT_EQ(0u, SentAnswer(w, RegisterWindowMessageA("QueryCancelAutoPlay")));
    ASSERT_TRUE(probe.Flush());
    EXPECT_TRUE(MessagesMatch("hostOwnMessages", hostOwnMessages, probe.MessagesFrom(before)));
    EXPECT_TRUE(Contains(probe.Lines(), "C 0020 cursor=0"));
    EXPECT_EQ(0, probe.Count("A 000C"));
    EXPECT_EQ(0, probe.Count("A 0010"));
    EXPECT_TRUE(probe.process.Running());
    EXPECT_EQ(0u, CloseSaver(&probe.process, probe.window));
}

TEST(HostChain, InputThatCloses)
{
    // The message is posted; 0 stands for a real key press of wParam.
    struct Case { const char* name; UINT message; WPARAM wParam; } cases[] = {
        {"key-down", WM_KEYDOWN, VK_SPACE},          {"system key-down", WM_SYSKEYDOWN, VK_MENU},
        {"left button", WM_LBUTTONDOWN, MK_LBUTTON}, {"right button", WM_RBUTTONDOWN, MK_RBUTTON},
        {"middle button", WM_MBUTTONDOWN, MK_MBUTTON}, {"activation lost", WM_ACTIVATEAPP, 0},
        {"critical resume", WM_POWER, 3},  {"power broadcast", WM_POWERBROADCAST, 0x12345},
        {"real key", 0, VK_SHIFT},
    };
    // One run each: the window closes through WM_CLOSE, with 0.
    for (const Case& c : cases) {
        Probe probe;
        ASSERT_TRUE(probe.StartRun("host_chain_rule")) << c.name;
        if (!c.message) SendKeyPress((WORD)c.wParam);
        EXPECT_EQ(0u, c.message ? probe.EndAfter(c.message, c.wParam) : probe.WaitEnd()) << c.name;
        EXPECT_GE(probe.Count("A 0010"), 1) << c.name;
    }
}

TEST(HostChain, InputThatDoesNotClose)
{
    // One window takes all of these, and still stands.
    Probe probe;
    ASSERT_TRUE(probe.StartRun("host_chain_rule"));
    for (const Input& m : harmless) PostMessageA(probe.window, m.message, m.wParam, m.lParam);
    ASSERT_TRUE(probe.Flush());
    EXPECT_TRUE(probe.process.Running());
    EXPECT_EQ(0, probe.Count("A 0010")) << Join(probe.Lines());
    EXPECT_EQ(0u, CloseSaver(&probe.process, probe.window));
}

TEST(HostChain, MouseTravelAddsUpFromTheReference)
{
    // 3 across and 1 down: travel 4, no close. One more across: 5 from the
    // unchanged reference closes.
    ExpectMouseCloses("host_chain_mouse", {400, 300}, {{403, 301}}, {404, 301});
}

TEST(HostChain, MouseTravelBackAndForthCounts)
{
    // Travel is the distance from the reference, not the path: moving away
    // by 2 and back does not add up (3 + 0 from the reference, still 4 or
    // less), and 5 from it closes.
    ExpectMouseCloses("host_chain_mouse2", {500, 400},
                      {{498, 398}, {500, 400}, {502, 402}, {497, 400}}, {495, 400});
}

TEST(HostChain, PreviewAppliesNoClosingRules)
{
    Probe probe;
    probe.Prepare("host_chain_preview");
    ParentWindow parent;
    ASSERT_TRUE(parent.Create(120, 90));
    ASSERT_TRUE(probe.StartPreview(parent));
    HWND child = probe.window;
    ASSERT_TRUE(probe.Flush());
    EXPECT_EQ(1, probe.Count("create family95=0 preview=1"));
    size_t before = probe.Messages().size();
    for (UINT input : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_ACTIVATEAPP, WM_POWERBROADCAST})
        PostMessageA(child, input, input == WM_KEYDOWN ? VK_SPACE : 0, 0);
    EXPECT_EQ(0u,
              SentAnswer(child, WM_SETCURSOR, (WPARAM)child, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    SentAnswer(child, WM_SYSCOMMAND, SC_NEXTWINDOW);
    EXPECT_EQ(1u, SentAnswer(child, WM_CONTEXTMENU, (WPARAM)child));
    HELPINFO help = {sizeof help, HELPINFO_WINDOW, 0, child, 0, {0, 0}};
    EXPECT_EQ(1u, SentAnswer(child, WM_HELP, 0, (LPARAM)&help));
    ASSERT_TRUE(probe.Flush());
    EXPECT_EQ(0, probe.Count("A 007B"));
    EXPECT_EQ(0, probe.Count("A 0053"));
    EXPECT_TRUE(MessagesMatch("previewSent", previewSent, probe.MessagesFrom(before)));
    EXPECT_TRUE(probe.process.Running());
    // WM_CLOSE destroys the preview without a check.
    EXPECT_EQ(0u, probe.EndAfter(WM_CLOSE));
    EXPECT_TRUE(MessagesMatch("previewInput", previewInput, probe.MessagesFrom(before)));
}

TEST(HostChain, FaultInTheSaverProcedureReachesTheGuard)
{
    SKIP_UNLESS_FAULTS_STAY();
    Probe probe;
    ASSERT_TRUE(probe.StartRun("host_chain_fault"));
    EXPECT_EQ(0xC0000005u, probe.EndAfter(probeCrashMessage));
    EXPECT_EQ(1, probe.Count("A 0477"));
    EXPECT_NE("exit", probe.Lines().back());  // terminated: no library's detach code ran
}

TEST(HostChain, GuardExitCodeIsTheExceptionCodeOrOne)
{
    SKIP_UNLESS_FAULTS_STAY();
    for (DWORD code : {0xE0001234u, 0u}) {
        Probe probe;
        ASSERT_TRUE(probe.StartRun("host_chain_raise"));
        EXPECT_EQ(code != 0 ? code : 1u, probe.EndAfter(probeRaiseMessage, code)) << code;
        EXPECT_NE("exit", probe.Lines().back()) << code;
    }
}

TEST(HostConfigure, DialogOwnerAndEndValue)
{
    Probe probe;
    probe.Prepare("host_conf");
    ParentWindow first, second;
    ASSERT_TRUE(first.Create(100, 80));
    ASSERT_TRUE(second.Create(100, 80));
    WaitUntil([&] {
        SetForegroundWindow(second.window);
        return GetForegroundWindow() == second.window;
    }, 5000);
    HWND foreground = GetForegroundWindow();
    ASSERT_TRUE(foreground == first.window || foreground == second.window);
    HWND other = foreground == first.window ? second.window : first.window;
    std::string d = Decimal(other);
    struct Row { std::string args; HWND owner; } rows[] = {
        {"", NULL}, {"/", NULL}, {"/c", foreground}, {"-C 123", foreground},
        {"/c " + d, foreground}, {"/c:" + d, other}, {"/c:" + d + " more", other},
        {"/c:0", foreground}, {"/c:4000000", foreground},
        {"/c:" + Decimal((unsigned long long)(UINT_PTR)other + 4294967296ull), other},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(probe.Start(row.args));
        EXPECT_EQ(7u, probe.WaitEnd()) << row.args;
        EXPECT_EQ(Join({"dialog owner=" + Decimal(row.owner), "exit"}), Join(probe.Lines()))
            << row.args;
        probe.process.End();
    }
    // A quoted program name without its closing quote takes the whole line:
    // configure mode without a parent.
    DeleteFileA(probe.folder.ProbeLog().c_str());
    ASSERT_TRUE(probe.process.Start(probe.folder.scr, "\"" + probe.folder.scr + " /s"));
    EXPECT_EQ(7u, probe.WaitEnd(20000));
    EXPECT_EQ(Join({"dialog owner=0", "exit"}), Join(probe.Lines()));
}

TEST(HostChain, FailedWindowCreationEndsWithOne)
{
    Probe probe;
    probe.Prepare("host_chain_failcreate");
    ProbeOptions options("failcreate");
    EXPECT_EQ(1u, RunSaver(probe.folder.scr, "/s"));
    ParentWindow parent;
    ASSERT_TRUE(parent.Create(100, 80));
    EXPECT_EQ(1u, RunSaver(probe.folder.scr, "/p " + Decimal(parent.window)));
    EXPECT_TRUE(parent.Children().empty());
}

TEST(HostConfigure, FaultInTheDialogProcedureReachesTheGuard)
{
    SKIP_UNLESS_FAULTS_STAY();
    Probe probe;
    probe.Prepare("host_conf_fault");
    ProbeOptions options("dialogcrash");
    ASSERT_TRUE(probe.Start("/c"));
    EXPECT_EQ(0xC0000005u, probe.WaitEnd());
    EXPECT_NE("exit", probe.Lines().back());
}

TEST(HostClosing95, AfterTheCloseIsConfirmedInputAndTimersStopInTheHost)
{
    SKIP_UNLESS_95_FAMILY("hostprobe95.scr");
    // 95 family without a password: the first WM_CLOSE confirms the close.
    PasswordValueScope password;
    password.Remove();
    Probe probe;
    ProbeOptions options("afterclose");
    ASSERT_TRUE(probe.StartRun("host_closing95", "hostprobe95.scr"));
    EXPECT_EQ(1, probe.Count("create family95=1 preview=0 autoplay=1"));
    EXPECT_EQ(0u, probe.EndAfter(WM_CLOSE));
    std::vector<std::string> lines = probe.Lines();
    EXPECT_TRUE(Contains(lines, "destroy context=1 closing=1")) << Join(lines);
    std::vector<RecordedMessage> seen = probe.Messages();
    size_t firstSent = 0;
    while (firstSent < seen.size() && seen[firstSent].where != Sent) ++firstSent;
    EXPECT_TRUE(MessagesMatch("afterClose", afterClose, probe.MessagesFrom(firstSent)));
}

}  // namespace host_test
