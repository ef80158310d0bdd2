// The configuration dialog of the real saver, started with /c and driven from
// outside. Runs with code page 932, so Japanese texts compare as its bytes;
// the message boxes' tests also run with code page 1252, where they compare
// as the wide text the user sees.
#include <gtest/gtest.h>
#include <string.h>

#include "dialog_driver.h"
#include "platform_checks.h"

namespace {

const wchar_t refusedText[] = L"外部呼び出しにvelkaro_ss_launcher.scrは指定できません";
const wchar_t saveFailedText[] = L"設定を保存できませんでした。\n";
const wchar_t launcherCaption[] = L"velkaro_v010用スクリーンセーバーLauncher";
const std::string japaneseAccessory = Sjis(L"C:\\ツール\\velkarodin.exe");
const char playlist[] = "C:\\music\\list.m3u";
const char otherSaver[] = "C:\\Savers\\other.scr";

// Controls switched by the mode, simple-mode ones first.
const int simpleRow[] = {1012, 1004, 1017, 1018, 1019, 1013, 1005, 1006, 1014};
const int externalRow[] = {1015, 1010, 1011, 1016};
// Never switched.
const int fixedControls[] = {1001, 1002, 1003, 1007, 1008, 1009, IDOK, IDCANCEL};

// The mode's radio buttons and the controls it enables.
void ExpectMode(DialogSession& s, bool simple)
{
    EXPECT_EQ(simple ? BST_CHECKED : BST_UNCHECKED, s.Checked(1008));
    EXPECT_EQ(simple ? BST_UNCHECKED : BST_CHECKED, s.Checked(1009));
    for (int id : simpleRow) EXPECT_EQ(simple, s.Enabled(id)) << "control " << id;
    for (int id : externalRow) EXPECT_EQ(!simple, s.Enabled(id)) << "control " << id;
    for (int id : fixedControls) EXPECT_TRUE(s.Enabled(id)) << "control " << id;
}

// The swatch is painted by the saver; waits until the screen shows it.
void ExpectSwatch(DialogSession& s, COLORREF expected)
{
    COLORREF c = CLR_INVALID;
    WaitUntil([&] { return (c = CentrePixel(s.Item(1003))) == expected; }, 3000);
    EXPECT_EQ(expected, c);
}

// What the dialog shows of the settings it loaded; paths: accessory, playlist, other saver.
void ExpectShown(DialogSession& s, COLORREF colour, int alpha, bool simple,
                 const std::vector<std::string>& paths)
{
    ExpectSwatch(s, colour);
    EXPECT_EQ(std::make_pair(alpha, std::to_string(alpha) + "%"),
              std::make_pair(s.SliderPos(), s.Text(1019)));
    ExpectMode(s, simple);
    EXPECT_EQ(paths, (std::vector<std::string>{s.Text(1001), s.Text(1005), s.Text(1010)}));
}

// The six settings in the file after OK.
void ExpectSaved(DialogSession& s, const std::vector<std::string>& values)
{
    const char* keys[] = {"bgcolor", "alpha", "mode", "exepath", "playlist", "ext_scr_path"};
    for (int i = 0; i < 6; i++) EXPECT_EQ(values[i], s.Setting(keys[i])) << keys[i];
}

// Clicks the button (none: 0) and waits for the saver to end with the code;
// one that ends with 0 leaves the settings file as it was.
void EndWith(DialogSession& s, int button, DWORD expected)
{
    if (button) s.ClickOpening(button);
    DWORD code = 1234;
    ASSERT_TRUE(s.process.Wait(15000, &code)) << "the dialog did not end";
    EXPECT_EQ(expected, code);
    if (expected == 0) {
        EXPECT_EQ(s.before, s.SettingsNow()) << "settings written";
    }
}

// Closes the saver's box. Answered (false once the dialog is gone) after the
// click's handling is over: the dialog stays.
void CloseBoxDialogStays(DialogSession& s, HWND box)
{
    CloseMessageBox(box);
    EXPECT_FALSE(WaitForWindowGone(box, 5000));
    EXPECT_TRUE(Answered(s.dialog));
    EXPECT_TRUE(s.process.Running());
}

}  // namespace

// Each test's own dialog; a test with several cases opens one per case.
class ConfigDialog : public ::testing::Test {
protected:
    DialogSession s;
};

TEST_F(ConfigDialog, OpensWithDefaultsWhenThereIsNoSettingsFile)
{
    ASSERT_TRUE(s.Start("dialog_defaults"));
    ExpectShown(s, RGB(0, 0, 0), 0, true, {"", "", ""});
    EXPECT_EQ("velkaro_ss_launcher ver2.10 (build0205)\n"
              "Copyright (C) 2026 velkaro_ss_launcher project",
              s.Text(1007));
    EXPECT_TRUE(IsWindowOf(s.Item(1018), "msctls_trackbar32", s.process.id));
    // The focus starts on the first tab stop, OK.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(s.dialog, NULL), &gui));
    EXPECT_EQ(s.Item(IDOK), gui.hwndFocus);
    EndWith(s, IDCANCEL, 0);
    EXPECT_FALSE(PathExists(s.SettingsPath()));
}

TEST_F(ConfigDialog, OpensWithClampedValues)
{
    ASSERT_TRUE(s.Start("dialog_clamped",
                        {"bgcolor=-1", "alpha=150", "mode=7", "exepath=" + japaneseAccessory,
                         std::string("playlist=") + playlist,
                         std::string("ext_scr_path=") + otherSaver}));
    ExpectShown(s, RGB(255, 255, 255), 100, false, {japaneseAccessory, playlist, otherSaver});
    EndWith(s, IDCANCEL, 0);
}

TEST_F(ConfigDialog, SwatchShowsTheLoadedColour)
{
    ASSERT_TRUE(s.Start("dialog_colour", {"bgcolor=" + std::to_string(RGB(0x20, 0x40, 0xC0))}));
    ExpectSwatch(s, RGB(0x20, 0x40, 0xC0));
    EndWith(s, IDCANCEL, 0);
}

TEST_F(ConfigDialog, SwitchingModeAndBackRestoresTheTable)
{
    ASSERT_TRUE(s.Start("dialog_modes"));
    // The table covers every control: back in simple mode, each is as before.
    ExpectMode(s, true);
    ASSERT_TRUE(s.Click(1009));
    ExpectMode(s, false);
    ASSERT_TRUE(s.Click(1008));
    ExpectMode(s, true);
    // The mode last clicked is what OK saves.
    ASSERT_TRUE(s.Click(1009));
    EndWith(s, IDOK, 1);
    EXPECT_EQ("1", s.Setting("mode"));
}

TEST_F(ConfigDialog, OkWritesEverySettingAndEndsWithOne)
{
    ASSERT_TRUE(s.Start("dialog_ok", {"bgcolor=255"}));
    s.SetText(1001, japaneseAccessory);
    s.SetText(1005, playlist);
    s.SetText(1010, otherSaver);
    s.MoveSlider(35);
    EXPECT_EQ("35%", s.Text(1019));
    ASSERT_TRUE(s.Click(1009));
    EndWith(s, IDOK, 1);
    ExpectSaved(s, {"255", "35", "1", japaneseAccessory, playlist, otherSaver});
}

TEST_F(ConfigDialog, OkWithEverythingEmptySavesEmptyPaths)
{
    ASSERT_TRUE(s.Start("dialog_ok_empty"));
    s.MoveSlider(100);
    EXPECT_EQ("100%", s.Text(1019));
    EndWith(s, IDOK, 1);
    ExpectSaved(s, {"0", "100", "0", "", "", ""});
}

TEST_F(ConfigDialog, SliderMovedWithTheKeyboard)
{
    ASSERT_TRUE(s.Start("dialog_slider_keys"));
    Ask(s.dialog, WM_NEXTDLGCTL, (WPARAM)s.Item(1018), TRUE);
    ASSERT_TRUE(PressKeyIn(s.dialog, VK_END));
    EXPECT_TRUE(WaitUntil([&] { return s.Text(1019) == "100%"; }, 3000)) << s.Text(1019);
    EXPECT_EQ(100, s.SliderPos());
    PressKey(VK_LEFT);
    EXPECT_TRUE(WaitUntil([&] { return s.Text(1019) == "99%"; }, 3000)) << s.Text(1019);
    EndWith(s, IDCANCEL, 0);
    EXPECT_FALSE(PathExists(s.SettingsPath()));
}

TEST_F(ConfigDialog, CancelEscapeAndCloseBoxWriteNothing)
{
    const std::pair<const char*, bool (*)(HWND)> ways[] = {
        {"dialog_cancel",
         [](HWND d) { return !!PostMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); }},
        {"dialog_escape", [](HWND d) { return PressKeyIn(d, VK_ESCAPE); }},
        {"dialog_closebox", [](HWND d) { return !!PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.first);
        DialogSession d;
        ASSERT_TRUE(d.Start(way.first, {"bgcolor=0", "alpha=10", "mode=0", "exepath=C:\\a.exe",
                                        "playlist=", "ext_scr_path="}));
        d.SetText(1001, "C:\\other\\velkarodin.exe");
        d.SetText(1010, "C:\\Savers\\x.scr");
        d.MoveSlider(80);
        ASSERT_TRUE(d.Click(1009));
        ASSERT_TRUE(way.second(d.dialog));
        EndWith(d, 0, 0);
    }
}

TEST_F(ConfigDialog, RefusesTheSaverItselfAsExternalSaver)
{
    // The path, and the mode button clicked before.
    const std::pair<const char*, int> cases[] = {
        {"C:\\Savers\\velkaro_ss_launcher.scr", 1009},
        {"C:\\Savers\\velkaro_ss_launcher.scr", 1008},
        {"velkaro_ss_launcher.scr", 1009},
        {"velkaro_ss_launcher.scr", 1008},
        {"D:velkaro_ss_launcher.scr", 1009},
        {"C:/Savers/velkaro_ss_launcher.scr", 1008},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.first) + (c.second == 1008 ? " simple" : " external"));
        DialogSession d;
        ASSERT_TRUE(d.Start("dialog_refused", {"alpha=10"}));
        ASSERT_TRUE(d.Click(c.second));
        d.SetText(1010, c.first);
        HWND box = d.Opened(IDOK, 10000);
        ASSERT_TRUE(box) << "no error box";
        EXPECT_TRUE(CodePageAsAnnounced());
        EXPECT_EQ(std::wstring(refusedText), WideText(GetDlgItem(box, 0xFFFF)));
        EXPECT_NE(std::wstring(launcherCaption), WideText(box));  // the system's default title
        EXPECT_NE(L"", WideText(box));
        if (GetACP() == 932) {
            EXPECT_EQ(Sjis(refusedText), BoxText(box));
        }
        CloseBoxDialogStays(d, box);
        EXPECT_EQ(d.before, d.SettingsNow());
        // The user can correct the path; the dialog still works.
        EXPECT_EQ(c.first, d.Text(1010));
        EndWith(d, IDCANCEL, 0);
    }
}

TEST_F(ConfigDialog, AcceptsOtherNamesThatLookLikeTheSaver)
{
    const char* paths[] = {
        "C:\\Savers\\VELKARO_SS_LAUNCHER.SCR",
        "C:\\Savers\\velkaro_ss_launcher.scr.bak",
        "velkaro_ss_launcher.scrx",
        // 表 is 0x95 0x5C: its trail byte is no separator.
        "C:\\Savers\\\x95\x5cvelkaro_ss_launcher.scr",
        "C:\\velkaro_ss_launcher.scr\\other.scr",
    };
    for (const char* path : paths) {
        if (strchr(path, '\x95') && !IsCodePage932()) continue;
        SCOPED_TRACE(path);
        DialogSession d;
        ASSERT_TRUE(d.Start("dialog_accepted"));
        d.SetText(1010, path);
        EndWith(d, IDOK, 1);
        EXPECT_EQ(path, d.Setting("ext_scr_path"));
    }
    SKIP_UNLESS_CODE_PAGE_932() << " for the name with 0x95 0x5C";
}

TEST_F(ConfigDialog, LongTextsAreCutTo1021BytesOnOk)
{
    ASSERT_TRUE(s.Start("dialog_long"));
    s.SetText(1001, std::string(1500, 'a'));
    s.SetText(1005, std::string(1022, 'b'));
    s.SetText(1010, std::string(1021, 'c'));
    EndWith(s, IDOK, 1);
    std::string a(1021, 'a'), b(1021, 'b'), c(1021, 'c');
    ExpectSaved(s, {"0", "0", "0", a, b, c});
}

TEST_F(ConfigDialog, FailedSaveIsShownAndKeepsTheDialogOpen)
{
    // With code page 1252 the folder's name holds an e acute (0xE9), which
    // would read as a lead byte if the path were converted as code page 932.
    ASSERT_TRUE(s.Prepare(GetACP() == 1252 ? "dialog_save_fails_\xe9" : "dialog_save_fails"));
    // A folder where the settings file should be: every write fails.
    ASSERT_TRUE(CreateDirectoryA(s.SettingsPath().c_str(), NULL));
    ASSERT_TRUE(s.Open());
    s.SetText(1001, "C:\\a\\velkarodin.exe");
    HWND box = s.Opened(IDOK, 10000);
    ASSERT_TRUE(box) << "the failure was not shown";
    EXPECT_TRUE(CodePageAsAnnounced());
    // The path is the system's own ANSI text, in any code page.
    wchar_t path[1024];
    ASSERT_LT(0, MultiByteToWideChar(CP_ACP, 0, s.SettingsPath().c_str(), -1, path, 1024));
    std::wstring wideText = WideText(GetDlgItem(box, 0xFFFF));
    EXPECT_EQ(std::wstring(launcherCaption), WideText(box));
    EXPECT_EQ(0, lstrcmpiW((saveFailedText + std::wstring(path)).c_str(), wideText.c_str()));
    EXPECT_EQ(0u, wideText.find(saveFailedText));
    if (GetACP() == 932) {
        std::string text = BoxText(box);
        EXPECT_EQ(Sjis(launcherCaption), WindowText(box));
        std::string expected = Sjis(saveFailedText) + s.SettingsPath();
        EXPECT_EQ(0, lstrcmpiA(expected.c_str(), text.c_str())) << text;
        EXPECT_EQ(0u, text.find(Sjis(saveFailedText)));
    }
    CloseBoxDialogStays(s, box);
    // The swatch brush is still alive: the swatch keeps its colour.
    InvalidateRect(s.Item(1003), NULL, TRUE);
    ExpectSwatch(s, RGB(0, 0, 0));
    EndWith(s, IDCANCEL, 0);
}

TEST_F(ConfigDialog, FileDialogsHaveTheirTitlesAndCancelChangesNothing)
{
    // Each button, the mode button that enables it, and its dialog's title;
    // its edit is the control before it.
    const struct {
        int button, mode;
        const wchar_t* title;
    } cases[] = {
        {1002, 1009, L"velkarodin.exeを選択してください"},
        {1006, 1008, L"m3u形式のプレイリストを選択してください"},
        {1011, 1009, L"起動するスクリーンセーバーを選択してください"},
    };
    ASSERT_TRUE(s.Start("dialog_files", {"mode=0"}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        ASSERT_TRUE(s.Click(c.mode));
        s.SetText(c.button - 1, "typed");
        HWND files = s.Opened(c.button, 15000);
        ASSERT_TRUE(files) << "no file dialog";
        EXPECT_EQ(Sjis(c.title), WindowText(files));
        PostMessageA(files, WM_COMMAND, IDCANCEL, 0);
        EXPECT_FALSE(WaitForWindowGone(files, 10000));
        EXPECT_TRUE(Answered(s.dialog));
        EXPECT_EQ("typed", s.Text(c.button - 1));
    }
    EndWith(s, IDCANCEL, 0);
    EXPECT_EQ("0", s.Setting("mode"));
}

TEST_F(ConfigDialog, ColourChooserCancelledKeepsTheColour)
{
    ASSERT_TRUE(s.Start("dialog_colour_cancel", {"bgcolor=65280"}));
    for (int round = 0; round < 2; round++) {
        HWND chooser = s.Opened(1004, 15000);
        ASSERT_TRUE(chooser) << "no colour chooser";
        PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
        EXPECT_FALSE(WaitForWindowGone(chooser, 10000));
    }
    ExpectSwatch(s, RGB(0, 255, 0));
    EndWith(s, IDOK, 1);
    EXPECT_EQ("65280", s.Setting("bgcolor"));
}

TEST_F(ConfigDialog, ColourChosenRepaintsTheSwatchAndIsSavedByOk)
{
    ASSERT_TRUE(s.Start("dialog_colour_chosen"));
    HWND chooser = s.Opened(1004, 15000);
    ASSERT_TRUE(chooser) << "no colour chooser";
    // The chooser's red, green and blue edits.
    const std::pair<int, const char*> rgb[] = {{706, "16"}, {707, "160"}, {708, "48"}};
    for (const auto& e : rgb) {
        ASSERT_TRUE(GetDlgItem(chooser, e.first));
        Ask(GetDlgItem(chooser, e.first), WM_SETTEXT, 0, (LPARAM)e.second);
    }
    PostMessageA(chooser, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(WaitForWindowGone(chooser, 10000));
    ExpectSwatch(s, RGB(16, 160, 48));
    EndWith(s, IDOK, 1);
    EXPECT_EQ(std::to_string(RGB(16, 160, 48)), s.Setting("bgcolor"));
}
