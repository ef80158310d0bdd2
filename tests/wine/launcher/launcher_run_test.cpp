// The launcher inside the real saver under Wine: the accessory's start and
// stop, translucency, the grace period, the external saver, the music, the
// missing settings, a refused close on the 95 family and the trace lines.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include "launcher_test_util.h"
#include "platform_checks.h"

static std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

static HWND AccessoryWindow(const SaverFolder& s)
{
    return (HWND)(ULONG_PTR)strtoul(LogValue(s.AccessoryLog(), "window").c_str(), NULL, 10);
}

static const char exitTrace[] = "velkarodin.exe\x82\xc9IDM_EXIT\x82\xf0\x91\x97\x90M\n";

static SaverFolder AccessoryFolder(const std::string& name, const std::string& variant = "",
                                   const std::string& scrName = "velkaro_ss_launcher.scr")
{
    return PrepareSaverFolder(name, scrName, WithAccessory, variant);
}

// Moves the cursor 2 pixels (which the host ignores) and tells whether the
// saver looked at it within its grace period; *closed when it closed on it.
// The saver takes its start time after its WM_CREATE trace, and compares
// the cursor after the first mouse-move trace that comes after the move and
// before its next trace (a marker, posted then, makes sure there is one).
// When those two traces are well within the grace period of each other, the
// move surely came within it; otherwise the start was too slow to tell and
// the caller tries again.
static bool SmallMoveWithinGrace(TracedProcess* saver, HWND window, bool* closed)
{
    SetCursorPos(parkX + 2, parkY);
    DWORD moved = GetTickCount();
    size_t seen = 0;  // index of that mouse-move trace, 0 while there is none
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

// Run mode with the accessory: quoted start from its own folder, above the
// translucent topmost saver; the launcher's own mouse rule after the grace
// period; exit command, wait, and the trace lines in order.
TEST(LauncherRun, AccessoryStartsAboveAndIsStoppedOnClose)
{
    const int attempts = 4;
    for (int attempt = 1; attempt <= attempts; attempt++) {
        SCOPED_TRACE(attempt);
        SaverFolder s = AccessoryFolder("run_accessory");
        AccessoryReaper reaper(s);
        ASSERT_TRUE(WriteSettingsFor(s.scr, {"bgcolor=32768", "alpha=20", "mode=0", "exepath=" + s.accessory}));
        ParkCursor();
        TracedProcess saver;
        ASSERT_TRUE(saver.Start(s.scr, "/s"));
        HWND window = WaitForSaverWindow(saver.id, 10000);
        ASSERT_TRUE(window);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window); }, 10000));
        // Within the grace period a small move closes nothing.
        bool closed = false;
        if (!SmallMoveWithinGrace(&saver, window, &closed)) {
            ASSERT_LT(attempt, attempts) << "no start was quick enough to move within the grace period";
            continue;
        }
        EXPECT_FALSE(closed) << "closed by a small move in the grace period";
        ASSERT_TRUE(WaitForText(s.AccessoryLog(), " window ", 10000));

        EXPECT_EQ(Quoted(FullPath(s.accessory)), LogValue(s.AccessoryLog(), "cmdline"));
        EXPECT_EQ(0, lstrcmpiA(FullPath(s.accessoryDir).c_str(), LogValue(s.AccessoryLog(), "cwd").c_str()))
            << LogValue(s.AccessoryLog(), "cwd");
        EXPECT_FALSE(PathExists(s.dir + "\\trap_log.txt")) << ReadText(s.dir + "\\trap_log.txt");

        LONG ex = GetWindowLongA(window, GWL_EXSTYLE);
        EXPECT_TRUE(ex & WS_EX_TOPMOST);
        EXPECT_TRUE(ex & WS_EX_LAYERED);
        BYTE opacity = 0;
        DWORD flags = 0;
        COLORREF key = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &opacity, &flags));
        EXPECT_EQ(203, opacity);
        EXPECT_EQ((DWORD)LWA_ALPHA, flags);
        HWND accessoryWindow = AccessoryWindow(s);
        ASSERT_TRUE(IsWindow(accessoryWindow));
        EXPECT_TRUE(IsAbove(accessoryWindow, window));
        EXPECT_TRUE(WaitUntil([&] { return CentrePixel(window) == RGB(0, 128, 0); }, 5000));
        HANDLE accessory = AccessoryHandle(s);
        ASSERT_TRUE(accessory);

        // The saver took its start time before its second trace arrived.
        WaitOutSince(saver.TraceTicks()[1], graceMs);
        // After it, a move of 3 pixels (still ignored by the host) closes.
        SetCursorPos(parkX + 3, parkY);
        DWORD code = 99;
        ASSERT_TRUE(saver.Wait(10000, &code));
        EXPECT_EQ(0u, code);
        EXPECT_EQ(1, CountLines(s.AccessoryLog(), " command 40001"));
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(accessory, 0)) << "the saver ended before the accessory";
        CloseHandle(accessory);

        saver.End();
        std::vector<std::string> traces = saver.Traces();
        ASSERT_GE(traces.size(), 4u);
        EXPECT_EQ("WM_CREATE\n", traces.front());
        size_t n = traces.size();
        EXPECT_EQ("WM_CLOSE\n", traces[n - 3]);
        EXPECT_EQ(exitTrace, traces[n - 2]);
        EXPECT_EQ("WM_DESTROY\n", traces[n - 1]);
        for (size_t i = 1; i + 3 < n; i++) EXPECT_EQ("WM_MOUSEMOVE\n", traces[i]) << i;
        return;
    }
}

// Starts the saver in run mode with the cursor parked; its window, or null.
static HWND StartRunMode(const SaverFolder& s, TestProcess* saver)
{
    ParkCursor();
    return StartSaver(saver, s.scr, "/s") ? WaitForSaverWindow(saver->id, 10000) : NULL;
}

// Starts the saver in run mode with the stand-in accessory and the settings
// lines, and waits for the accessory's last line before it waits: its window,
// or, for the variant without one, its working folder.
static void StartWithAccessory(const SaverFolder& s, const std::string& variant,
                               std::vector<std::string> settings, TestProcess* saver)
{
    settings.push_back("exepath=" + s.accessory);
    ASSERT_TRUE(WriteSettingsFor(s.scr, settings));
    ParkCursor();
    ASSERT_TRUE(StartSaver(saver, s.scr, "/s"));
    ASSERT_TRUE(WaitForText(s.AccessoryLog(), variant == "nowindow" ? " cwd " : " window ", 10000));
}

// Presses a key in the saver window, waits (at most limitMs) for the saver's
// end with exit code 0 and prints how long that took; returns the
// accessory's process, opened before the key (null when it had ended).
static HANDLE CloseByKey(TestProcess* saver, const SaverFolder& s, DWORD limitMs, const char* what)
{
    HANDLE accessory = AccessoryHandle(s);
    HWND window = WaitForSaverWindow(saver->id, 10000);
    EXPECT_TRUE(window && PressKeyIn(window)) << "no key reached the saver";
    DWORD start = GetTickCount();
    DWORD code = 99;
    EXPECT_TRUE(saver->Wait(limitMs, &code));
    EXPECT_EQ(0u, code);
    printf("close with %s took %lu ms\n", what, GetTickCount() - start);
    return accessory;
}

// An accessory that takes 1.5 s to end after the exit command: the saver
// ends only after it.
TEST(LauncherRun, SlowAccessoryIsWaitedFor)
{
    SaverFolder s = AccessoryFolder("run_slow", "slow");
    AccessoryReaper reaper(s);
    TestProcess saver;
    ASSERT_NO_FATAL_FAILURE(StartWithAccessory(s, "slow", {"alpha=50"}, &saver));
    HANDLE accessory = CloseByKey(&saver, s, 10000, "a slow accessory");
    ASSERT_TRUE(accessory);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(accessory, 0)) << "the saver ended before the accessory";
    CloseHandle(accessory);
    EXPECT_TRUE(WaitForText(s.AccessoryLog(), " exit", 100));
}

// Accessories that never end on the exit command do not lock the user out:
// the saver ends after its limit and leaves them running.
TEST(LauncherRun, AccessoryThatDoesNotEndDoesNotHoldTheSaver)
{
    for (const char* variant : {"ignore", "nowindow"}) {
        SCOPED_TRACE(variant);
        SaverFolder s = AccessoryFolder(std::string("run_") + variant, variant);
        AccessoryReaper reaper(s);
        TestProcess saver;
        ASSERT_NO_FATAL_FAILURE(StartWithAccessory(s, variant, {}, &saver));
        HANDLE accessory = CloseByKey(&saver, s, 16000, variant);
        ASSERT_TRUE(accessory);
        EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(accessory, 0)) << "the accessory was ended";
        EXPECT_EQ(std::string(variant) == "ignore" ? 1 : 0, CountLines(s.AccessoryLog(), " command 40001"));
        // It ends by itself 15 s after its start.
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(accessory, 20000));
        CloseHandle(accessory);
    }
}

// An accessory that sends a message to every top-level window while it
// ends (the saver's window among them) is answered: no deadlock.
TEST(LauncherRun, BroadcastingAccessoryIsAnswered)
{
    SaverFolder s = AccessoryFolder("run_broadcast", "broadcast");
    AccessoryReaper reaper(s);
    TestProcess saver;
    ASSERT_NO_FATAL_FAILURE(StartWithAccessory(s, "broadcast", {}, &saver));
    HANDLE accessory = CloseByKey(&saver, s, 16000, "a broadcasting accessory");
    ASSERT_TRUE(accessory);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(accessory, 0)) << "the saver gave up waiting";
    CloseHandle(accessory);
    EXPECT_EQ(1, CountLines(s.AccessoryLog(), " broadcast done"));
}

// A path that does not end in "velkarodin.exe" exactly, or is only 15
// bytes long: no translucency, no start, but the timers are armed.
TEST(LauncherRun, NameTestFailing)
{
    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE(round);
        SaverFolder s = AccessoryFolder("run_name");
        AccessoryReaper reaper(s);
        CopyInto(BinFile("fake_external_saver.scr"), s.dir, "ext.scr");
        std::string exe = round == 0 ? s.accessoryDir + "\\VELKARODIN.EXE" : "\\velkarodin.exe";
        ASSERT_TRUE(WriteSettingsFor(s.scr, {"mode=1", "alpha=50", "exepath=" + exe,
                                             "ext_scr_path=" + s.dir + "\\ext.scr"}));
        ParkCursor();
        TestProcess saver;
        ASSERT_TRUE(StartSaver(&saver, s.scr, "/s"));
        if (round == 1) {
            // "\velkarodin.exe" does not exist: the warning comes first.
            HWND box = WaitForMessageBox(saver.id, 10000);
            ASSERT_TRUE(box);
            CloseMessageBox(box);
        }
        HWND window = WaitForSaverWindow(saver.id, 10000);
        ASSERT_TRUE(window);
        EXPECT_TRUE(WaitForText(s.dir + "\\external_log.txt", "child ", 5000)) << "timer 2 not armed";
        EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
        EXPECT_FALSE(PathExists(s.AccessoryLog()));
        ASSERT_TRUE(PressKeyIn(window));
        EXPECT_TRUE(saver.Wait(10000));
        EXPECT_TRUE(WaitForText(s.dir + "\\external_log.txt", "ended", 5000))
            << ReadText(s.dir + "\\external_log.txt");
    }
}

// External call mode: after about 500 ms the external saver starts once,
// with its quoted path, "/P" and the saver window's handle, and draws inside.
TEST(LauncherRun, ExternalSaverStartsOnceInsideTheWindow)
{
    SaverFolder s = AccessoryFolder("run_external");
    AccessoryReaper reaper(s);
    std::string extDir = s.dir + "\\My Savers";
    CreateDirectoryA(extDir.c_str(), NULL);
    CopyInto(BinFile("fake_external_saver.scr"), extDir, "ext.scr");
    CopyInto(BinFile("trap_program.exe"), s.dir, "My.exe");
    std::string ext = extDir + "\\ext.scr";
    ASSERT_TRUE(WriteSettingsFor(s.scr, {"mode=1", "exepath=" + s.accessory, "ext_scr_path=" + ext}));
    TestProcess saver;
    HWND window = StartRunMode(s, &saver);
    ASSERT_TRUE(window);
    std::string log = extDir + "\\external_log.txt";
    ASSERT_TRUE(WaitForText(log, "child ", 5000));
    EXPECT_EQ(Quoted(FullPath(ext)) + " /P " + std::to_string((int)(LONG_PTR)window), [&] {
        std::string t = ReadText(log);
        size_t b = t.find("cmdline ") + 8;
        return t.substr(b, t.find('\n', b) - b);
    }());
    HWND child = FindWindowExA(window, NULL, "FakeExternalSaverChild", NULL);
    ASSERT_TRUE(child);
    EXPECT_EQ(window, GetParent(child));
    RECT outer, inner;
    GetClientRect(window, &outer);
    GetClientRect(child, &inner);
    EXPECT_EQ(outer.right, inner.right);
    EXPECT_EQ(outer.bottom, inner.bottom);
    // A timer left running would start it again every 500 ms: three periods
    // without a second start.
    EXPECT_FALSE(WaitUntil([&] { return CountLines(log, "cmdline ") > 1; }, 1500));
    EXPECT_EQ(1, CountLines(log, "cmdline "));
    EXPECT_FALSE(PathExists(s.dir + "\\trap_log.txt")) << ReadText(s.dir + "\\trap_log.txt");
    EXPECT_FALSE(WaitForMessageBox(saver.id, 0));
    ASSERT_TRUE(PressKeyIn(window));
    EXPECT_TRUE(saver.Wait(10000));
    EXPECT_TRUE(WaitForText(log, "ended", 5000));
}

// A missing external saver does nothing; one that cannot be started shows
// the "Error" box without an owner, above the saver window.
TEST(LauncherRun, ExternalSaverMissingOrNotAProgram)
{
    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE(round);
        SaverFolder s = AccessoryFolder("run_external_bad");
        AccessoryReaper reaper(s);
        std::string ext = s.dir + (round == 0 ? "\\missing.scr" : "\\broken.scr");
        if (round == 1) WriteFileBytes(ext, "this is no program\r\n");
        ASSERT_TRUE(WriteSettingsFor(s.scr, {"mode=1", "exepath=" + s.accessory, "ext_scr_path=" + ext}));
        TestProcess saver;
        HWND window = StartRunMode(s, &saver);
        ASSERT_TRUE(window);
        std::string text, caption;
        // The start comes 500 ms after the creation; for the missing one,
        // four times that without a box.
        HWND box = WaitForMessageBox(saver.id, round == 0 ? 2000 : 5000, &text, &caption);
        if (round == 0) {
            EXPECT_FALSE(box);
            EXPECT_TRUE(saver.Running());
            ASSERT_TRUE(PressKeyIn(window));
        } else {
            ASSERT_TRUE(box);
            EXPECT_EQ("Error", caption);
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(NULL, GetWindow(box, GW_OWNER));
            // Found as soon as it exists; shown and placed a moment later.
            EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(box) && IsAbove(box, window); }, 5000))
                << "the box is hidden behind the saver";
            printf("error box text: %s\n", text.c_str());
            EXPECT_TRUE(saver.Running());
            CloseMessageBox(box);
            EXPECT_FALSE(WaitForWindowGone(box, 5000));
            // Wine then gives the activation to the desktop, which closes the
            // saver by the host's rule; otherwise a key does.
            if (!saver.Wait(2000)) {
                ASSERT_TRUE(PressKeyIn(window));
            }
        }
        DWORD code = 99;
        EXPECT_TRUE(saver.Wait(10000, &code));
        EXPECT_EQ(0u, code);
        EXPECT_EQ(1, CountLines(s.AccessoryLog(), " command 40001"));
    }
}

// Simple mode: the music starts on the first tick, follows the playlist
// (and starts again after its end), and closing stops it.
TEST(LauncherRun, MusicFollowsThePlaylistAndStopsOnClose)
{
    SaverFolder s = AccessoryFolder("run_music");
    AccessoryReaper reaper(s);
    SKIP_UNLESS_READS_WITNESSED(s.dir);
    const std::string tracks[] = {s.dir + "\\one.wav", s.dir + "\\two.wav"};
    ASSERT_TRUE(WriteToneWav(tracks[0], 1200, 440));
    ASSERT_TRUE(WriteToneWav(tracks[1], 1200, 660));
    ASSERT_TRUE(MarkUnread(tracks[0]) && MarkUnread(tracks[1]));
    ASSERT_TRUE(WriteFileBytes(s.dir + "\\list.m3u", "#EXTM3U\r\none.wav\r\ntwo.wav\r\n"));
    ASSERT_TRUE(WriteSettingsFor(s.scr, {"mode=0", "exepath=" + s.accessory, "playlist=" + s.dir + "\\list.m3u"}));
    TestProcess saver;
    HWND window = StartRunMode(s, &saver);
    ASSERT_TRUE(window);
    // The order in which the tracks are read: a track read is marked unread
    // again, so that it shows again only when it is read again.
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
    // (MCI plays inside the saver's process, so its end ends the music
    // whatever the close did: nothing to check after it.)
    ASSERT_TRUE(PressKeyIn(window));
    EXPECT_TRUE(saver.Wait(10000));
}

// No settings file: the warning, then an opaque black full-screen window,
// no accessory and no music.
TEST(LauncherRun, NoSettingsFile)
{
    SaverFolder s = AccessoryFolder("run_nosettings");
    AccessoryReaper reaper(s);
    ParkCursor();
    TestProcess saver;
    ASSERT_TRUE(StartSaver(&saver, s.scr, "/s"));
    HWND box = WaitForMessageBox(saver.id, 10000);
    ASSERT_TRUE(box);
    CloseMessageBox(box);
    HWND window = WaitForSaverWindow(saver.id, 10000);
    ASSERT_TRUE(window);
    // Answered once its creation is over.
    ASSERT_TRUE(Answered(window));
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right - r.left);
    EXPECT_TRUE(WaitUntil([&] { return CentrePixel(window) == RGB(0, 0, 0); }, 5000));
    EXPECT_FALSE(PathExists(s.AccessoryLog()));
    ASSERT_TRUE(PressKeyIn(window));
    DWORD code = 99;
    EXPECT_TRUE(saver.Wait(10000, &code));
    EXPECT_EQ(0u, code);
}

// The provider's file beside a 95-family saver: it refuses until told to accept.
static void AddRefusingProvider(const SaverFolder& s)
{
    ASSERT_TRUE(CopyInto(BinFile("password_provider.dll"), s.dir, "PASSWORD.CPL"));
    ASSERT_TRUE(WriteFileBytes(s.dir + "\\provider.txt", "refuse"));
}

// 95 family with a password provider that refuses: the close sequence runs
// once (the accessory is told to exit and ends), the window stays and keeps
// its colour; the next, accepted close does nothing twice.
TEST(LauncherRun, RefusedCloseThenAcceptedClose)
{
    SKIP_UNLESS_95_FAMILY("saver95.scr");
    ASSERT_TRUE(PathExists(BinFile("password_provider.dll")));
    PasswordValueScope password;
    ASSERT_TRUE(password.SetDword(1));
    SaverFolder s = AccessoryFolder("run_refused", "", "saver95.scr");
    AccessoryReaper reaper(s);
    AddRefusingProvider(s);
    ASSERT_TRUE(WriteSettingsFor(s.scr, {"bgcolor=255", "exepath=" + s.accessory}));
    ParkCursor();
    TracedProcess saver;
    ASSERT_TRUE(saver.Start(s.scr, "/s"));
    HWND window = WaitForSaverWindow(saver.id, 10000);
    ASSERT_TRUE(window);
    ASSERT_TRUE(WaitForText(s.AccessoryLog(), " window ", 10000));
    HANDLE accessory = AccessoryHandle(s);
    ASSERT_TRUE(accessory);
    // After the grace period a key closes twice: the launcher's own rule,
    // then the host's. The saver took its start time before it started the
    // accessory, whose window is logged now.
    WaitOutSince(GetTickCount(), graceMs);
    ASSERT_TRUE(PressKeyIn(window));
    ASSERT_TRUE(WaitForText(s.dir + "\\provider.log", "verify", 10000));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(accessory, 10000));
    CloseHandle(accessory);
    // Both closes handled, and whatever they posted.
    EXPECT_TRUE(WaitUntil([&] { return Count(saver.Traces(), "WM_CLOSE\n") >= 2; }, 5000));
    ASSERT_TRUE(FlushSaver(&saver, window));
    ASSERT_TRUE(saver.Running());
    ASSERT_TRUE(IsWindow(window));
    // Repainted after the refusal, still in its colour.
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_TRUE(WaitUntil([&] { return CentrePixel(window) == RGB(255, 0, 0); }, 5000));

    ASSERT_TRUE(WriteFileBytes(s.dir + "\\provider.txt", "accept"));
    // The provider answered before the second close began.
    WaitOutSince(TraceTick(&saver, "WM_CLOSE\n", 1), recheckMs);
    ASSERT_TRUE(PressKeyIn(window));
    DWORD code = 99;
    ASSERT_TRUE(saver.Wait(15000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(1, CountLines(s.AccessoryLog(), " command 40001"));
    saver.End();
    EXPECT_GE(Count(saver.Traces(), "WM_CLOSE\n"), 2);
    EXPECT_EQ(1, Count(saver.Traces(), exitTrace));
}

// 95 family, simple mode, a provider that refuses: a refused close after the
// music started stops it for good; one that comes before the first music
// tick leaves the timer running, so the music starts afterwards.
TEST(LauncherRun, MusicAroundARefusedClose)
{
    SKIP_UNLESS_95_FAMILY("saver95.scr");
    ASSERT_TRUE(PathExists(BinFile("password_provider.dll")));
    PasswordValueScope password;
    ASSERT_TRUE(password.SetDword(1));
    const int attempts = 4;
    for (int round = 0, attempt = 1; round < 2; round++) {
        SCOPED_TRACE(round);
        SaverFolder s = AccessoryFolder("run_refused_music", "", "saver95.scr");
        AccessoryReaper reaper(s);
        AddRefusingProvider(s);
        SKIP_UNLESS_READS_WITNESSED(s.dir);
        std::string track = s.dir + "\\one.wav";
        ASSERT_TRUE(WriteToneWav(track, 1200, 440));
        ASSERT_TRUE(MarkUnread(track));
        ASSERT_TRUE(WriteFileBytes(s.dir + "\\list.m3u", "one.wav\r\n"));
        // The early close of round 1 goes without the accessory (a name in
        // capitals starts nothing), so that only the music is in play.
        std::string exe = round == 0 ? s.accessory : s.accessoryDir + "\\VELKARODIN.EXE";
        ASSERT_TRUE(WriteSettingsFor(s.scr, {"exepath=" + exe, "playlist=" + s.dir + "\\list.m3u"}));
        TestProcess saver;
        HWND window = StartRunMode(s, &saver);
        ASSERT_TRUE(window);
        if (round == 0) {
            // Wait until the music plays, then close (refused).
            ASSERT_TRUE(WaitUntil([&] { return ReadSinceMark(track); }, 5000));
        }
        ASSERT_TRUE(PressKeyIn(window));
        ASSERT_TRUE(WaitForText(s.dir + "\\provider.log", "verify", 10000));
        if (round == 0) {
            ASSERT_TRUE(WaitForText(s.AccessoryLog(), " ended", 10000));
        } else if (ReadSinceMark(track)) {
            // The first tick came before the close was over: the start was
            // too slow for an early close. Again, with a new saver.
            ASSERT_LT(attempt++, attempts) << "no start was quick enough to close before the music";
            round--;
            continue;
        }
        // The close is over (the music, if any, was stopped before the
        // provider was asked). Three music ticks with the saver still up.
        MarkUnread(track);
        bool seen = WaitUntil([&] { return ReadSinceMark(track); }, 3000);
        ASSERT_TRUE(saver.Running());
        EXPECT_EQ(round == 1, seen) << (round == 0 ? "music after the close" : "no music after the early close");
        ASSERT_TRUE(WriteFileBytes(s.dir + "\\provider.txt", "accept"));
        // The provider's last answer came before the watch began.
        WaitOutSince(GetTickCount(), recheckMs);
        ASSERT_TRUE(PressKeyIn(window));
        DWORD code = 99;
        EXPECT_TRUE(saver.Wait(15000, &code));
        EXPECT_EQ(0u, code);
    }
}
