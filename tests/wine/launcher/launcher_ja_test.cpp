// The launcher's Japanese warning and its preview form, run with the
// Japanese code page; the warning's tests also run with code page 1252.
#include <gtest/gtest.h>
#include "parent_window.h"
#include "platform_checks.h"
#include "saver_folder.h"
#include "saver_windows.h"
#include "tone_wav.h"
#include "traced_process.h"
#include "window_probe.h"

// 設定が不完全です。\n設定を開きvelkarodin.exeの場所を指定する必要があります。
static const char warningText[] =
    "\x90\xdd\x92\xe8\x82\xaa\x95s\x8a\xae\x91S\x82\xc5\x82\xb7\x81" "B\x0a\x90\xdd\x92\xe8"
    "\x82\xf0\x8aJ\x82\xabvelkarodin.exe\x82\xcc\x8f\xea\x8f\x8a\x82\xf0\x8ew\x92\xe8\x82\xb7"
    "\x82\xe9\x95K\x97v\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7\x81" "B";
// velkaro_v010用スクリーンセーバーLauncher
static const char warningCaption[] =
    "velkaro_v010\x97p\x83X\x83N\x83\x8a\x81[\x83\x93\x83Z\x81[\x83o\x81[Launcher";

// The warning as the user reads it, whatever the system's code page.
static const wchar_t warningTextW[] =
    L"設定が不完全です。\n設定を開きvelkarodin.exeの場所を指定する必要があります。";
static const wchar_t warningCaptionW[] = L"velkaro_v010用スクリーンセーバーLauncher";

// A preview ended with its parent after input, and one closed first.
const ExpectedMessage previewEnded[] = {{WM_CREATE, App}, {WM_KEYDOWN, App}, {WM_RBUTTONDOWN, App},
                                        {WM_DESTROY, App}, {WM_CLOSE, Never}, {}};
const ExpectedMessage previewClosed[] = {{WM_CREATE, App}, {WM_CLOSE, App}, {WM_DESTROY, App}, {}};
// Written once for each "/p" token of the command line.
static const char previewTrace[] = "Find /P  --PreviewMode--\n";

// Closes the saver's warning box: its texts as shown; with code page 932 also
// the bytes the "A" functions give back, which must be the program's own.
static void CloseWarningBox(DWORD pid)
{
    std::string text, caption;
    HWND box = WaitForMessageBox(pid, 10000, &text, &caption);
    ASSERT_TRUE(box);
    EXPECT_TRUE(CodePageAsAnnounced());
    EXPECT_EQ(std::wstring(warningTextW), WideText(GetDlgItem(box, boxTextId)));
    EXPECT_EQ(std::wstring(warningCaptionW), WideText(box));
    if (GetACP() == 932) {
        EXPECT_EQ(warningText, text);
        EXPECT_EQ(warningCaption, caption);
    }
    CloseMessageBox(box);
}

TEST(LauncherJa, CodePageIs932)
{
    SKIP_UNLESS_CODE_PAGE_932();
    // Not only this test: the programs it starts, the saver among them.
    EXPECT_EQ(932u, ProgramCodePage());
}

// No settings file in run mode: the warning box with its exact texts.
TEST(LauncherJa, MissingAccessoryWarningText)
{
    SaverFolder s = PrepareSaverFolder("ja_nosettings");
    AccessoryReaper reaper(s);
    ParkCursor();
    TestProcess saver;
    ASSERT_TRUE(StartSaver(&saver, s.scr, "/s"));
    ASSERT_NO_FATAL_FAILURE(CloseWarningBox(saver.id));
    HWND window = WaitForSaverWindow(saver.id, 10000);
    ASSERT_TRUE(window);
    EXPECT_EQ(0u, ExitOnKey(&saver, window));
}

// Preview with the accessory path missing: the warning, then only the colour: no
// translucency, timers (external saver) or close sequence; input past the grace
// period writes and closes nothing; it ends with its parent.
TEST(LauncherJa, PreviewWarnsAndOnlyPaints)
{
    SaverFolder s =
        PrepareSaverFolder("ja_preview_missing", "velkaro_ss_launcher.scr", LauncherProbe);
    AccessoryReaper reaper(s);
    CopyInto(BinFile("fake_external_saver.scr"), s.dir, "ext.scr");
    ASSERT_TRUE(WriteSettingsFor(s.scr, {"bgcolor=255", "alpha=50", "mode=1",
                                         "exepath=" + s.dir + "\\none\\velkarodin.exe",
                                         "ext_scr_path=" + s.dir + "\\ext.scr"}));
    ParentWindow parent;
    ASSERT_TRUE(parent.Create(200, 150));
    TracedProcess saver;
    ASSERT_TRUE(saver.Start(s.scr, "/p " + Decimal(parent.window)));
    ASSERT_NO_FATAL_FAILURE(CloseWarningBox(saver.id));
    HWND child = WaitForPreviewChild(parent.window, saver.process);
    ASSERT_TRUE(child);
    EXPECT_FALSE(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_LAYERED);
    // Had the timer been armed, the external saver would start 500 ms after
    // the creation: three times that with no start.
    EXPECT_FALSE(WaitUntil([&] { return PathExists(s.dir + "\\external_log.txt"); }, 1500));
    // A child drawn by another process than its parent's does not show in the
    // parent's pixels under Wine: lifted onto the desktop, it shows its own.
    ASSERT_TRUE(SetParent(child, NULL));
    EXPECT_TRUE(WaitUntil([&] { return CentrePixel(child) == RGB(255, 0, 0); }, 5000))
        << std::hex << CentrePixel(child);
    ASSERT_TRUE(SetParent(child, parent.window));
    for (UINT input : {WM_KEYDOWN, WM_RBUTTONDOWN, WM_MOUSEMOVE})
        PostMessageA(child, input, input == WM_KEYDOWN ? 'A' : 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(s.FlushProbe(child)) << "the preview closed on input";
    parent.Destroy();
    ASSERT_EQ(0u, saver.ExitCode(10000));
    saver.End();
    EXPECT_TRUE(MessagesMatch("previewEnded", previewEnded, s.ProbeMessages()));
    // The one "/p" token's trace; input writes none in a preview, even where it comes.
    std::vector<std::string> t = saver.Traces();
    EXPECT_EQ(1, CountPrefix(t, previewTrace));
    EXPECT_EQ(0, CountPrefix(t, "WM_MOUSEMOVE\n") + CountPrefix(t, "WM_RBUTTONDOWN\n"));
}

// Preview with a valid accessory path and a playlist: no box, accessory or music;
// WM_CLOSE only writes its trace on its way to the host, which destroys the child.
TEST(LauncherJa, PreviewStartsNothing)
{
    AccessoryFolder s("ja_preview_accessory", "", "velkaro_ss_launcher.scr", LauncherProbe);
    SKIP_UNLESS_READS_WITNESSED(s.dir);
    std::string track = s.dir + "\\one.wav";
    ASSERT_TRUE(WriteToneWav(track, 1200, 440));
    ASSERT_TRUE(MarkUnread(track));
    ASSERT_TRUE(WriteFileBytes(s.dir + "\\list.m3u", "one.wav\r\n"));
    ASSERT_TRUE(WriteSettingsFor(s.scr, {"bgcolor=65280", "alpha=50", "mode=0",
                                         "exepath=" + s.accessory,
                                         "playlist=" + s.dir + "\\list.m3u"}));
    ParentWindow parent;
    ASSERT_TRUE(parent.Create(200, 150));
    TracedProcess saver;
    ASSERT_TRUE(saver.Start(s.scr, "/P " + Decimal(parent.window)));
    HWND child = WaitForPreviewChild(parent.window, saver.process);
    ASSERT_TRUE(child);
    // Music would start with the first timer tick, a second after the
    // creation: more than two ticks without the track being read.
    EXPECT_FALSE(WaitUntil([&] { return ReadSinceMark(track); }, 2400)) << "music in the preview";
    EXPECT_FALSE(WaitForMessageBox(saver.id, 0));
    EXPECT_FALSE(PathExists(s.AccessoryLog()));
    EXPECT_FALSE(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_LAYERED);
    PostMessageA(child, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, saver.ExitCode(10000));
    saver.End();
    EXPECT_TRUE(MessagesMatch("previewClosed", previewClosed, s.ProbeMessages()));
    // The "/P" token's trace; the close still writes its own.
    EXPECT_EQ(1, CountPrefix(saver.Traces(), previewTrace));
    EXPECT_EQ(1, CountPrefix(saver.Traces(), "WM_CLOSE\n"));
}

// The host's other preview forms hold no whole "/p" token: the same preview
// (no accessory, no translucency), ended with 0 when the parent goes.
TEST(LauncherJa, EveryPreviewFormStartsNothing)
{
    AccessoryFolder s("ja_preview_forms");
    ASSERT_TRUE(WriteSettingsFor(s.scr, {"mode=0", "exepath=" + s.accessory}));
    for (const char* form : {"/l ", "-p ", "/p"}) {
        SCOPED_TRACE(form);
        ParentWindow parent;
        ASSERT_TRUE(parent.Create(200, 150));
        TestProcess saver;
        ASSERT_TRUE(StartSaver(&saver, s.scr, form + Decimal(parent.window)));
        HWND child = WaitForPreviewChild(parent.window, saver.process);
        ASSERT_TRUE(child);
        EXPECT_FALSE(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_LAYERED);
        // An accessory started on creation logs within a second or two.
        EXPECT_FALSE(WaitUntil([&] { return PathExists(s.AccessoryLog()); }, 2000));
        parent.Destroy();
        EXPECT_EQ(0u, saver.ExitCode(10000));
    }
}
