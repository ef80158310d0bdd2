// The launcher inside the real saver (or the launcher probe) under Wine, in run mode.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include "platform_checks.h"
#include "registry_scope.h"
#include "saver_folder.h"
#include "saver_windows.h"
#include "tone_wav.h"
#include "traced_process.h"
#include "window_probe.h"

// The launcher ignores the cursor for this long after its creation.
static const DWORD graceMs = 1000;
// After the password provider answered, closes are refused this long unasked.
static const DWORD recheckMs = 200;
static const char exitTrace[] = "velkarodin.exe\x82\xc9IDM_EXIT\x82\xf0\x91\x97\x90M\n";
// Created, closed once by the launcher's mouse rule, destroyed; no key or button.
static const ExpectedMessage closedByMove[] = {
    {WM_CREATE, App},        {WM_CLOSE, App},         {WM_DESTROY, App},       {WM_KEYDOWN, Never},
    {WM_LBUTTONDOWN, Never}, {WM_RBUTTONDOWN, Never}, {WM_MBUTTONDOWN, Never}, {}};

static int CountLines(const std::string& log, const std::string& needle)
{
    std::string text = ReadText(log);
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        count++;
    return count;
}

// For the saver's rules that end by time alone, with nothing to observe:
// sleeps until more than ms have passed since tick (no earlier than the
// saver's own start of the count).
static void WaitOutSince(DWORD tick, DWORD ms)
{
    DWORD since = GetTickCount() - tick;
    if (since <= ms + 20) Sleep(ms + 20 - since);
}

// The arrival of the index-th trace equal to text (0 when none).
static DWORD TraceTick(TracedProcess* saver, const std::string& text, int index)
{
    std::vector<std::string> traces = saver->Traces();
    std::vector<DWORD> ticks = saver->TraceTicks();
    for (size_t i = 0; i < traces.size(); i++)
        if (traces[i] == text && index-- == 0) return ticks[i];
    return 0;
}

// Moves the cursor 2 pixels (ignored by the host); *closed when the saver
// closed on it. False when the start was too slow to tell: the saver starts
// its count after WM_CREATE and looks at the cursor at the first mouse-move
// trace after the move, before its next trace (a posted marker makes one).
static bool SmallMoveWithinGrace(TracedProcess* saver, HWND window, bool* closed)
{
    SetCursorPos(parkX + 2, parkY);
    DWORD moved = GetTickCount();
    size_t seen = 0;  // index of that mouse-move trace
    WaitUntil([&] {
        std::vector<std::string> traces = saver->Traces();
        std::vector<DWORD> ticks = saver->TraceTicks();
        for (size_t i = 1; i < traces.size() && !seen; i++)
            if (traces[i] == "WM_MOUSEMOVE\n" && ticks[i] - moved < 0x80000000u) seen = i;
        return seen || !saver->Running();
    }, 10000);
    if (!seen) return false;
    POINT p = {parkX + 2, parkY};
    ScreenToClient(window, &p);
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    WaitUntil([&] { return saver->Traces().size() > seen + 1 || !saver->Running(); }, 10000);
    std::vector<std::string> traces = saver->Traces();
    std::vector<DWORD> ticks = saver->TraceTicks();
    if (traces.size() <= seen + 1 || traces.front() != "WM_CREATE\n") return false;
    *closed = traces[seen + 1] == "WM_CLOSE\n";
    DWORD span = ticks[seen + 1] - ticks.front();
    printf("the move was handled within %lu ms of the creation\n", span);
    // Room for the marker's own look at the cursor, which comes after.
    return span < graceMs - 150;
}

static bool Launch(TestProcess* p, const std::string& scr) { return StartSaver(p, scr, "/s"); }
static bool Launch(TracedProcess* p, const std::string& scr) { return p->Start(scr, "/s"); }

// Writes the settings (none: no file), starts the saver in run mode with the
// cursor parked, closes the expected warning; the shown saver window, or null.
template <class Saver>
static HWND StartRunMode(const SaverFolder& s, Saver* saver,
                         const std::vector<std::string>& settings, bool warning = false)
{
    if (!settings.empty() && !WriteSettingsFor(s.scr, settings)) return NULL;
    ParkCursor();
    if (!Launch(saver, s.scr)) return NULL;
    if (warning) {
        HWND box = WaitForMessageBox(saver->id, 10000);
        EXPECT_TRUE(box) << "no warning";
        if (!box) return NULL;
        CloseMessageBox(box);
    }
    return WaitForSaverWindow(saver->id, 10000);
}

// The accessory's window, logged once it is shown.
static bool AccessoryWindowUp(const SaverFolder& s)
{
    return WaitForText(s.AccessoryLog(), " window ", 10000);
}

// Quoted start from its own folder, above the translucent topmost saver; the
// launcher's own mouse rule after the grace period; exit command, wait, traces.
TEST(LauncherRun, AccessoryStartsAboveAndIsStoppedOnClose)
{
    const int attempts = 4;
    for (int attempt = 1; attempt <= attempts; attempt++) {
        SCOPED_TRACE(attempt);
        AccessoryFolder s("run_accessory", "", "velkaro_ss_launcher.scr", LauncherProbe);
        TracedProcess saver;
        HWND window = StartRunMode(s, &saver, {"bgcolor=32768", "alpha=20", "mode=0",
                                               "exepath=" + s.accessory});
        ASSERT_TRUE(window);
        bool closed = false;
        bool quick = SmallMoveWithinGrace(&saver, window, &closed);
        // Logged before a retry, so that the folder's reaper ends this accessory.
        ASSERT_TRUE(AccessoryWindowUp(s));
        if (!quick && attempt < attempts) continue;
        ASSERT_TRUE(quick) << "no start was quick enough to move within the grace period";
        EXPECT_FALSE(closed) << "closed by a small move within the grace period";

        EXPECT_EQ("\"" + FullPath(s.accessory) + "\"", LogValue(s.AccessoryLog(), "cmdline"));
        std::string cwd = LogValue(s.AccessoryLog(), "cwd");
        EXPECT_EQ(0, lstrcmpiA(FullPath(s.accessoryDir).c_str(), cwd.c_str())) << cwd;
        EXPECT_FALSE(PathExists(s.dir + "\\trap_log.txt")) << ReadText(s.dir + "\\trap_log.txt");

        const LONG topmostLayered = WS_EX_TOPMOST | WS_EX_LAYERED;
        EXPECT_EQ(topmostLayered, GetWindowLongA(window, GWL_EXSTYLE) & topmostLayered);
        EXPECT_EQ(DPI_AWARENESS_PER_MONITOR_AWARE, DpiAwareness(window));
        BYTE opacity = 0;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(window, NULL, &opacity, &flags));
        EXPECT_EQ(std::make_pair(203, (DWORD)LWA_ALPHA), std::make_pair((int)opacity, flags));
        std::string logged = LogValue(s.AccessoryLog(), "window");
        HWND accessoryWindow = (HWND)(ULONG_PTR)strtoul(logged.c_str(), NULL, 10);
        ASSERT_TRUE(IsWindow(accessoryWindow));
        EXPECT_TRUE(IsAbove(accessoryWindow, window));
        EXPECT_TRUE(WaitUntil([&] { return CentrePixel(window) == RGB(0, 128, 0); }, 5000));
        HANDLE accessory = AccessoryHandle(s);
        ASSERT_TRUE(accessory);

        // The saver took its start time before its second trace arrived.
        WaitOutSince(saver.TraceTicks()[1], graceMs);
        // A move of 3 pixels, still ignored by the host.
        SetCursorPos(parkX + 3, parkY);
        ASSERT_EQ(0u, saver.ExitCode(10000));
        EXPECT_EQ(1, CountLines(s.AccessoryLog(), accessoryExitLine));
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(accessory, 0))
            << "the saver ended before the accessory";
        CloseHandle(accessory);

        saver.End();
        EXPECT_TRUE(MessagesMatch("closedByMove", closedByMove, s.ProbeMessages()));
        // The exit command's trace within the close's; no preview trace without "/p".
        std::vector<std::string> t = saver.Traces();
        ASSERT_GE(t.size(), 3u);
        EXPECT_EQ(std::vector<std::string>({"WM_CLOSE\n", exitTrace, "WM_DESTROY\n"}),
                  std::vector<std::string>(t.end() - 3, t.end()));
        EXPECT_EQ(0, CountPrefix(t, "Find /P"));
        return;
    }
}

// Run mode with the accessory variant; once it logged its last line before
// waiting (its window; "nowindow", "late": its folder), a key, and exit code
// 0 within limitMs; whether the accessory ended by then.
static void RunAndCloseByKey(const SaverFolder& s, const std::string& variant,
                             std::vector<std::string> settings, DWORD limitMs, bool ends)
{
    settings.push_back("exepath=" + s.accessory);
    TestProcess saver;
    HWND window = StartRunMode(s, &saver, settings);
    ASSERT_TRUE(window);
    bool windowless = variant == "nowindow" || variant == "late";
    ASSERT_TRUE(windowless ? WaitForText(s.AccessoryLog(), " cwd ", 10000) : AccessoryWindowUp(s));
    HANDLE accessory = AccessoryHandle(s);
    ASSERT_TRUE(accessory);
    EXPECT_TRUE(PressKeyIn(window)) << "no key reached the saver";
    DWORD start = GetTickCount();
    EXPECT_EQ(0u, saver.ExitCode(limitMs));
    printf("close with the %s accessory took %lu ms\n", variant.c_str(), GetTickCount() - start);
    EXPECT_EQ(ends ? WAIT_OBJECT_0 : (DWORD)WAIT_TIMEOUT, WaitForSingleObject(accessory, 0))
        << (ends ? "the saver ended before the accessory" : "the accessory was ended");
    // One left running ends by itself 15 s after its start.
    EXPECT_TRUE(ends || WaitForSingleObject(accessory, 20000) == WAIT_OBJECT_0);
    CloseHandle(accessory);
}

// Accessories 1.5 s slow to end on the exit command or to make its window: told, waited for.
TEST(LauncherRun, SlowAccessoryIsWaitedFor)
{
    for (std::string variant : {"slow", "late"}) {
        AccessoryFolder s("run_" + variant, variant);
        ASSERT_NO_FATAL_FAILURE(RunAndCloseByKey(s, variant, {"alpha=50"}, 5000, true));
        EXPECT_TRUE(WaitForText(s.AccessoryLog(), " exit", 100)) << variant;
    }
}

// Accessories that ignore the exit command: the saver ends after its limit.
TEST(LauncherRun, AccessoryThatDoesNotEndDoesNotHoldTheSaver)
{
    for (std::string variant : {"ignore", "nowindow"}) {
        SCOPED_TRACE(variant);
        AccessoryFolder s("run_" + variant, variant);
        ASSERT_NO_FATAL_FAILURE(RunAndCloseByKey(s, variant, {}, 16000, false));
        EXPECT_EQ(variant == "ignore" ? 1 : 0, CountLines(s.AccessoryLog(), accessoryExitLine));
    }
}

// An accessory that sends to every top-level window while it ends (the
// saver's among them) is answered: no deadlock.
TEST(LauncherRun, BroadcastingAccessoryIsAnswered)
{
    AccessoryFolder s("run_broadcast", "broadcast");
    ASSERT_NO_FATAL_FAILURE(RunAndCloseByKey(s, "broadcast", {}, 16000, true));
    EXPECT_EQ(1, CountLines(s.AccessoryLog(), " broadcast done"));
}

// A path that does not end in "velkarodin.exe" exactly, or is only 15
// bytes long: no translucency, no start, but the timers are armed.
TEST(LauncherRun, NameTestFailing)
{
    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE(round);
        AccessoryFolder s("run_name");
        CopyInto(BinFile("fake_external_saver.scr"), s.dir, "ext.scr");
        std::string exe = round == 0 ? s.accessoryDir + "\\VELKARODIN.EXE" : "\\velkarodin.exe";
        TestProcess saver;
        // "\velkarodin.exe" does not exist: the warning comes first.
        HWND window = StartRunMode(s, &saver, {"mode=1", "alpha=50", "exepath=" + exe,
                                               "ext_scr_path=" + s.dir + "\\ext.scr"}, round == 1);
        ASSERT_TRUE(window);
        std::string log = s.dir + "\\external_log.txt";
        EXPECT_TRUE(WaitForText(log, "child ", 5000)) << "timer 2 not armed";
        EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
        EXPECT_FALSE(PathExists(s.AccessoryLog()));
        EXPECT_EQ(0u, ExitOnKey(&saver, window));
        EXPECT_TRUE(WaitForText(log, "ended", 5000)) << ReadText(log);
    }
}

// External call mode: after about 500 ms the external saver starts once,
// with its quoted path, "/P" and the saver window's handle, and draws inside
// the DPI-unaware window, its child sized to cover it, also after a change.
TEST(LauncherRun, ExternalSaverStartsOnceInsideTheWindow)
{
    AccessoryFolder s("run_external");
    std::string extDir = s.dir + "\\My Savers";
    CreateDirectoryA(extDir.c_str(), NULL);
    CopyInto(BinFile("fake_external_saver.scr"), extDir, "ext.scr");
    ASSERT_TRUE(WriteFileBytes(extDir + "\\half_size.txt", ""));
    CopyInto(BinFile("trap_program.exe"), s.dir, "My.exe");
    std::string ext = extDir + "\\ext.scr";
    // A handle the saver inherits from whoever starts it: the stand-in writes
    // to it if it reaches the third-party program too.
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    std::string leakFile = s.dir + "\\leak.txt";
    HANDLE leak = CreateFileA(leakFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                              CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, leak);
    ASSERT_TRUE(WriteFileBytes(extDir + "\\inherit_handle.txt", Decimal((UINT_PTR)leak)));
    TestProcess saver;
    saver.inheritHandles = true;
    HWND window =
        StartRunMode(s, &saver, {"mode=1", "exepath=" + s.accessory, "ext_scr_path=" + ext});
    ASSERT_TRUE(window && AccessoryWindowUp(s));
    std::string log = extDir + "\\external_log.txt";
    ASSERT_TRUE(WaitForText(log, "child ", 5000));
    EXPECT_EQ("cmdline \"" + FullPath(ext) + "\" /P " + std::to_string((int)(LONG_PTR)window),
              ReadLines(log).at(0));
    HWND child = FindWindowExA(window, NULL, "FakeExternalSaverChild", NULL);
    ASSERT_TRUE(child);
    EXPECT_EQ(window, GetParent(child));
    EXPECT_EQ(DPI_AWARENESS_UNAWARE, DpiAwareness(window));
    RECT outer, inner;
    GetClientRect(window, &outer);
    auto covers = [&] {
        GetWindowRect(child, &inner);
        MapWindowPoints(NULL, window, (POINT*)&inner, 2);
        return EqualRect(&outer, &inner) != 0;
    };
    EXPECT_TRUE(WaitUntil(covers, 2000)) << "as created, half the size";
    SetWindowPos(child, NULL, 0, 0, 100, 80, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitUntil(covers, 2000)) << "after a change";
    // A timer left running would start it again every 500 ms: three periods.
    EXPECT_FALSE(WaitUntil([&] { return CountLines(log, "cmdline ") > 1; }, 1500));
    EXPECT_EQ(1, CountLines(log, "cmdline "));
    EXPECT_FALSE(PathExists(s.dir + "\\trap_log.txt")) << ReadText(s.dir + "\\trap_log.txt");
    EXPECT_FALSE(WaitForMessageBox(saver.id, 0));
    EXPECT_EQ(0u, ExitOnKey(&saver, window));
    EXPECT_TRUE(WaitForText(log, "ended", 5000));
    CloseHandle(leak);
    EXPECT_EQ("", ReadText(leakFile));
}

// A missing external saver does nothing; one that cannot be started shows
// the "Error" box without an owner, above the saver window.
TEST(LauncherRun, ExternalSaverMissingOrNotAProgram)
{
    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE(round);
        AccessoryFolder s("run_external_bad");
        std::string ext = s.dir + (round == 0 ? "\\missing.scr" : "\\broken.scr");
        if (round == 1) WriteFileBytes(ext, "this is no program\r\n");
        TestProcess saver;
        HWND window =
            StartRunMode(s, &saver, {"mode=1", "exepath=" + s.accessory, "ext_scr_path=" + ext});
        ASSERT_TRUE(window && AccessoryWindowUp(s));
        std::string text, caption;
        // The start comes 500 ms after the creation; the missing one gets 4 times that.
        HWND box = WaitForMessageBox(saver.id, round == 0 ? 2000 : 5000, &text, &caption);
        ASSERT_EQ(round == 1, box != NULL);
        EXPECT_TRUE(saver.Running());
        if (box) {
            EXPECT_EQ("Error", caption);
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(NULL, GetWindow(box, GW_OWNER));
            // Found as soon as it exists; shown and placed a moment later.
            EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(box) && IsAbove(box, window); },
                                  5000)) << "the box is hidden behind the saver";
            printf("error box text: %s\n", text.c_str());
            CloseMessageBox(box);
            EXPECT_FALSE(WaitForWindowGone(box, 5000));
        }
        // After the box Wine gives the activation to the desktop, which
        // closes the saver by the host's rule; otherwise a key does.
        ASSERT_TRUE(saver.Wait(box ? 2000 : 0) || PressKeyIn(window));
        EXPECT_EQ(0u, saver.ExitCode(10000));
        EXPECT_EQ(1, CountLines(s.AccessoryLog(), accessoryExitLine));
    }
}

// Simple mode: the music starts on the first tick and follows the playlist round.
TEST(LauncherRun, MusicFollowsThePlaylistAndStopsOnClose)
{
    AccessoryFolder s("run_music");
    SKIP_UNLESS_READS_WITNESSED(s.dir);
    const std::string tracks[] = {s.dir + "\\one.wav", s.dir + "\\two.wav"};
    ASSERT_TRUE(WriteToneWav(tracks[0], 1200, 440) && WriteToneWav(tracks[1], 1200, 660));
    ASSERT_TRUE(MarkUnread(tracks[0]) && MarkUnread(tracks[1]));
    ASSERT_TRUE(WriteFileBytes(s.dir + "\\list.m3u", "#EXTM3U\r\none.wav\r\ntwo.wav\r\n"));
    TestProcess saver;
    HWND window = StartRunMode(s, &saver, {"mode=0", "exepath=" + s.accessory,
                                           "playlist=" + s.dir + "\\list.m3u"});
    ASSERT_TRUE(window && AccessoryWindowUp(s));
    // The order of the reads: a track read is marked unread again at once.
    std::string order;
    WaitUntil([&] {
        for (int i = 0; i < 2; i++) {
            if (!ReadSinceMark(tracks[i])) continue;
            MarkUnread(tracks[i]);
            char now = (char)('1' + i);
            if (order.empty() || order.back() != now) order += now;
        }
        return order.size() >= 3;
    }, 9000);
    EXPECT_EQ("121", order);
    // (MCI plays in the saver's process: its end ends the music, nothing to check.)
    EXPECT_EQ(0u, ExitOnKey(&saver, window));
}

// Tracks that a stand-in MCI driver (".vks") cannot open: one whose open
// blocks for 20 s, as on a share that does not answer, holds neither the key
// nor the end, and no detach code (the probe's "exit") runs; a round of three
// that fail at once opens each once, then no more; an open that faults (a
// broken codec) ends the saver as a fault on the window's thread does.
TEST(LauncherRun, TracksThatCannotOpenHoldNothing)
{
    const char mciKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI";
    PasswordValueScope password;  // the fault's row has a provider loaded
    ASSERT_TRUE(password.SetDword(1));
    for (std::string list : {"slow.vks\r\n", "a.vks\r\nb.vks\r\nc.vks\r\n", "fault.vks\r\n"}) {
        bool slow = list[0] == 's', fault = list[0] == 'f';
        AccessoryFolder s("run_unopened", "", fault ? "saver95.scr" : "velkaro_ss_launcher.scr",
                          LauncherProbe);
        SystemFolderFile provider;
        ASSERT_TRUE(!fault || provider.Install(BinFile("password_provider.dll"), "PASSWORD.CPL"));
        std::string typeKey = mciKey + std::string(" Extensions");
        RegistryValueScope type(HKEY_LOCAL_MACHINE, typeKey.c_str(), "vks");
        RegistryValueScope driver(HKEY_LOCAL_MACHINE, mciKey, "velkarotest");
        ASSERT_TRUE(type.SetString("velkarotest") && driver.SetString(s.File("mci_driver.dll")));
        ASSERT_TRUE(CopyInto(BinFile("mci_driver.dll"), s.dir, "mci_driver.dll"));
        ASSERT_TRUE(WriteFileBytes(s.File("list.m3u"), list));
        TestProcess saver;
        HWND window =
            StartRunMode(s, &saver, {"exepath=" + s.accessory, "playlist=" + s.File("list.m3u")});
        ASSERT_TRUE(window);
        if (fault) {
            SKIP_UNLESS_FAULTS_STAY();
            SKIP_UNLESS_95_FAMILY("saver95.scr");
            int before = ScreenSaverRunning();
            EXPECT_EQ(0xC0000005u, saver.ExitCode(10000));
            EXPECT_EQ(std::make_pair(1, 0), std::make_pair(before, ScreenSaverRunning()));
            EXPECT_EQ("load\n", ReadText(s.File("provider.log")));
        } else {
            ASSERT_TRUE(AccessoryWindowUp(s));
            ASSERT_TRUE(WaitForText(s.File("mci_driver.log"), slow ? "slow.vks" : "c.vks", 10000));
            // Three more ticks: an open that does not come marks nothing.
            if (!slow) Pause(3000);
            EXPECT_EQ(slow ? 1 : 3, CountLines(s.File("mci_driver.log"), "open "));
            EXPECT_EQ(0u, ExitOnKey(&saver, window, slow ? 1000 : 10000));
            EXPECT_EQ(1, CountLines(s.AccessoryLog(), " command 40001"));
        }
        EXPECT_EQ(!slow && !fault, ReadLines(s.ProbeLog()).back() == "exit");
    }
}

static bool Held(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    return file == INVALID_HANDLE_VALUE ? GetLastError() == ERROR_SHARING_VIOLATION
                                        : !CloseHandle(file);
}

// Display reports (the probe stands in for Windows), seen in the track MCI holds:
// dimmed changes nothing; off closes it within 1 s and opens none; on plays the next.
TEST(LauncherRun, MusicFollowsTheDisplayState)
{
    AccessoryFolder s("run_display", "", "velkaro_ss_launcher.scr", LauncherProbe);
    std::string one = s.File("one.wav"), two = s.File("two.wav"), list = s.File("list.m3u");
    ASSERT_TRUE(WriteToneWav(one, 120000, 440) && WriteToneWav(two, 120000, 660));
    ASSERT_TRUE(WriteFileBytes(list, "one.wav\r\ntwo.wav\r\n"));
    TestProcess saver;
    HWND window = StartRunMode(s, &saver, {"exepath=" + s.accessory, "playlist=" + list});
    ASSERT_TRUE(window && AccessoryWindowUp(s));
    auto display = [&](int state) {
        return PostMessageA(window, WM_USER + 0x79, state, 0) && s.FlushProbe(window);
    };
    ASSERT_TRUE(WaitUntil([&] { return Held(one); }, 5000) && display(2));
    EXPECT_FALSE(WaitUntil([&] { return !Held(one); }, 1000)) << "dimmed stopped the music";
    ASSERT_TRUE(display(0));
    EXPECT_TRUE(WaitUntil([&] { return !Held(one); }, 1000)) << "still playing after 1 s off";
    EXPECT_FALSE(WaitUntil([&] { return Held(one) || Held(two); }, 3000)) << "opened while off";
    ASSERT_TRUE(saver.Running() && display(1));
    EXPECT_TRUE(WaitUntil([&] { return Held(two); }, 2000)) << "not on with the next track";
    EXPECT_EQ(0u, ExitOnKey(&saver, window));
    EXPECT_EQ(1, CountLines(s.AccessoryLog(), accessoryExitLine));
}

// No settings file: the warning, an opaque black full-screen window, nothing started.
TEST(LauncherRun, NoSettingsFile)
{
    AccessoryFolder s("run_nosettings");
    TestProcess saver;
    HWND window = StartRunMode(s, &saver, {}, true);
    ASSERT_TRUE(window);
    // Answered once its creation is over.
    ASSERT_TRUE(Answered(window));
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right - r.left);
    EXPECT_TRUE(WaitUntil([&] { return CentrePixel(window) == RGB(0, 0, 0); }, 5000));
    EXPECT_FALSE(PathExists(s.AccessoryLog()));
    EXPECT_EQ(0u, ExitOnKey(&saver, window));
}

// 95 family with a password provider that refuses: the close sequence runs
// once (the accessory is told to exit and ends), the window stays and keeps
// its colour; the next, accepted close does nothing twice.
TEST(LauncherRun, RefusedCloseThenAcceptedClose)
{
    SKIP_UNLESS_95_FAMILY("saver95.scr");
    PasswordValueScope password;
    ASSERT_TRUE(password.SetDword(1));
    AccessoryFolder s("run_refused", "", "saver95.scr", LauncherProbe);
    SystemFolderFile provider;  // refuses a 95-family saver until told to accept
    ASSERT_TRUE(provider.Install(BinFile("password_provider.dll"), "PASSWORD.CPL") &&
                WriteFileBytes(s.dir + "\\provider.txt", "refuse"));
    TracedProcess saver;
    HWND window = StartRunMode(s, &saver, {"bgcolor=255", "exepath=" + s.accessory});
    ASSERT_TRUE(window && AccessoryWindowUp(s));
    HANDLE accessory = AccessoryHandle(s);
    ASSERT_TRUE(accessory);
    // After the grace period (counted from before the accessory's start) a key
    // closes twice: the launcher's own rule, then the host's.
    WaitOutSince(GetTickCount(), graceMs);
    ASSERT_TRUE(PressKeyIn(window));
    ASSERT_TRUE(WaitForText(s.dir + "\\provider.log", "verify", 10000));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(accessory, 10000));
    CloseHandle(accessory);
    // Both closes handled, and whatever they posted.
    EXPECT_TRUE(WaitUntil([&] { return CountPrefix(saver.Traces(), "WM_CLOSE\n") >= 2; }, 5000));
    ASSERT_TRUE(s.FlushProbe(window));
    ASSERT_TRUE(saver.Running() && IsWindow(window));
    // Repainted after the refusal, still in its colour.
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_TRUE(WaitUntil([&] { return CentrePixel(window) == RGB(255, 0, 0); }, 5000));

    ASSERT_TRUE(WriteFileBytes(s.dir + "\\provider.txt", "accept"));
    // The provider answered before the second close began.
    WaitOutSince(TraceTick(&saver, "WM_CLOSE\n", 1), recheckMs);
    ASSERT_EQ(0u, ExitOnKey(&saver, window, 15000));
    EXPECT_EQ(1, CountLines(s.AccessoryLog(), accessoryExitLine));
    saver.End();
    EXPECT_GE(CountPrefix(saver.Traces(), "WM_CLOSE\n"), 2);
    EXPECT_EQ(1, CountPrefix(saver.Traces(), exitTrace));
}

// 95 family, simple mode, a provider that refuses: a refused close after the
// music started stops it for good; one that comes before the first music
// tick leaves the timer running, so the music starts afterwards.
TEST(LauncherRun, MusicAroundARefusedClose)
{
    SKIP_UNLESS_95_FAMILY("saver95.scr");
    PasswordValueScope password;
    ASSERT_TRUE(password.SetDword(1));
    const int attempts = 4;
    for (int round = 0, attempt = 1; round < 2; round++) {
        SCOPED_TRACE(round);
        AccessoryFolder s("run_refused_music", "", "saver95.scr");
        SystemFolderFile provider;  // refuses until told to accept
        ASSERT_TRUE(provider.Install(BinFile("password_provider.dll"), "PASSWORD.CPL") &&
                    WriteFileBytes(s.dir + "\\provider.txt", "refuse"));
        SKIP_UNLESS_READS_WITNESSED(s.dir);
        std::string track = s.dir + "\\one.wav";
        ASSERT_TRUE(WriteToneWav(track, 1200, 440) && MarkUnread(track));
        ASSERT_TRUE(WriteFileBytes(s.dir + "\\list.m3u", "one.wav\r\n"));
        // The early close of round 1 goes without the accessory (a name in
        // capitals starts nothing), so that only the music is in play.
        std::string exe = round == 0 ? s.accessory : s.accessoryDir + "\\VELKARODIN.EXE";
        TestProcess saver;
        HWND window =
            StartRunMode(s, &saver, {"exepath=" + exe, "playlist=" + s.dir + "\\list.m3u"});
        ASSERT_TRUE(window);
        // Round 0 waits until the music plays, then closes (refused).
        ASSERT_TRUE(round == 1 || AccessoryWindowUp(s));
        ASSERT_TRUE(round == 1 || WaitUntil([&] { return ReadSinceMark(track); }, 5000));
        ASSERT_TRUE(PressKeyIn(window));
        ASSERT_TRUE(WaitForText(s.dir + "\\provider.log", "verify", 10000));
        if (round == 0) {
            ASSERT_TRUE(WaitForText(s.AccessoryLog(), " ended", 10000));
        } else if (ReadSinceMark(track)) {
            // The first tick came before the close was over: too slow, a new saver.
            ASSERT_LT(attempt++, attempts) << "no start was quick enough to close before the music";
            round--;
            continue;
        }
        // The close (and the music's stop before it) is over: three ticks, saver up.
        MarkUnread(track);
        bool seen = WaitUntil([&] { return ReadSinceMark(track); }, 3000);
        ASSERT_TRUE(saver.Running());
        EXPECT_EQ(round == 1, seen) << (round == 0 ? "music after the close"
                                                   : "no music after the early close");
        ASSERT_TRUE(WriteFileBytes(s.dir + "\\provider.txt", "accept"));
        // The provider's last answer came before the watch began.
        WaitOutSince(GetTickCount(), recheckMs);
        EXPECT_EQ(0u, ExitOnKey(&saver, window, 15000));
    }
}
