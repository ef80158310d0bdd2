// The configuration dialog of the real saver, started with /c and driven from
// outside. Runs with code page 932, so Japanese texts compare as its bytes;
// the message boxes' tests also run with code page 1252, where they compare
// as the wide text the user sees.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "platform_checks.h"

#include <commctrl.h>

namespace {

// 外部呼び出しにvelkaro_ss_launcher.scrは指定できません
const char refusedText[] =
    "\x8a\x4f\x95\x94\x8c\xc4\x82\xd1\x8f\x6f\x82\xb5\x82\xc9velkaro_ss_launcher.scr"
    "\x82\xcd\x8e\x77\x92\xe8\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
// 設定を保存できませんでした。\n
const char saveFailedText[] =
    "\x90\xdd\x92\xe8\x82\xf0\x95\xdb\x91\xb6\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1"
    "\x82\xc5\x82\xb5\x82\xbd\x81\x42\n";
// velkaro_v010用スクリーンセーバーLauncher
const char launcherCaption[] =
    "velkaro_v010\x97\x70\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x83\x5a\x81\x5b\x83\x6f\x81\x5b"
    "Launcher";
const wchar_t refusedTextW[] = L"外部呼び出しにvelkaro_ss_launcher.scrは指定できません";
const wchar_t saveFailedTextW[] = L"設定を保存できませんでした。\n";
const wchar_t launcherCaptionW[] = L"velkaro_v010用スクリーンセーバーLauncher";

// velkarodin.exeを選択してください
const char accessoryTitle[] =
    "velkarodin.exe\x82\xf0\x91\x49\x91\xf0\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2";
// m3u形式のプレイリストを選択してください
const char playlistTitle[] =
    "m3u\x8c\x60\x8e\xae\x82\xcc\x83\x76\x83\x8c\x83\x43\x83\x8a\x83\x58\x83\x67\x82\xf0\x91\x49"
    "\x91\xf0\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2";
// 起動するスクリーンセーバーを選択してください
const char externalSaverTitle[] =
    "\x8b\x4e\x93\xae\x82\xb7\x82\xe9\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x83\x5a\x81\x5b\x83"
    "\x6f\x81\x5b\x82\xf0\x91\x49\x91\xf0\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2";
// C:\ツール\velkarodin.exe
const char japaneseAccessory[] = "C:\\\x83\x63\x81\x5b\x83\x8b\\velkarodin.exe";

const char versionLine[] =
    "velkaro_ss_launcher ver2.10 (build0205)\nCopyright (C) 2026 velkaro_ss_launcher project";

const DWORD exitWait = 15000;

// Controls switched by the mode, simple-mode ones first.
const int simpleRow[] = {1012, 1004, 1017, 1018, 1019, 1013, 1005, 1006, 1014};
const int externalRow[] = {1015, 1010, 1011, 1016};
// Never switched.
const int fixedControls[] = {1001, 1002, 1003, 1007, 1008, 1009, IDOK, IDCANCEL};

void ExpectModeTable(DialogSession& s, bool simple)
{
    for (int id : simpleRow) EXPECT_EQ(simple, s.Enabled(id)) << "control " << id;
    for (int id : externalRow) EXPECT_EQ(!simple, s.Enabled(id)) << "control " << id;
    for (int id : fixedControls) EXPECT_TRUE(s.Enabled(id)) << "control " << id;
}

std::vector<bool> EnabledStates(DialogSession& s)
{
    std::vector<bool> states;
    for (int id = 1001; id <= 1019; id++) states.push_back(s.Enabled(id));
    return states;
}

// The swatch is painted by the saver; waits until the screen shows it.
COLORREF SwatchColour(DialogSession& s, COLORREF expected)
{
    COLORREF c = CLR_INVALID;
    WaitUntil([&] { return (c = CentrePixel(s.Item(1003))) == expected; }, 3000);
    return c;
}

std::string FileBytes(const std::string& path)
{
    std::string bytes;
    if (!ReadFileBytes(path, &bytes)) return "<missing>";
    return bytes;
}

void CancelAndExpectZero(DialogSession& s)
{
    s.ClickOpening(IDCANCEL);
    DWORD code = 1234;
    ASSERT_TRUE(s.WaitExit(exitWait, &code));
    EXPECT_EQ(0u, code);
}

void OkAndExpectOne(DialogSession& s)
{
    s.ClickOpening(IDOK);
    DWORD code = 1234;
    ASSERT_TRUE(s.WaitExit(exitWait, &code)) << "the dialog did not end";
    EXPECT_EQ(1u, code);
}

}  // namespace

TEST(ConfigDialog, OpensWithDefaultsWhenThereIsNoSettingsFile)
{
    DialogSession s;
    ASSERT_TRUE(s.Prepare("dialog_defaults", NULL));
    ASSERT_TRUE(s.Open());
    EXPECT_EQ(RGB(0, 0, 0), SwatchColour(s, RGB(0, 0, 0)));
    EXPECT_EQ(0, s.SliderPos());
    EXPECT_EQ("0%", s.Text(1019));
    EXPECT_EQ(BST_CHECKED, s.Checked(1008));
    EXPECT_EQ(BST_UNCHECKED, s.Checked(1009));
    ExpectModeTable(s, true);
    EXPECT_EQ("", s.Text(1001));
    EXPECT_EQ("", s.Text(1005));
    EXPECT_EQ("", s.Text(1010));
    EXPECT_EQ(versionLine, s.Text(1007));
    char cls[64] = "";
    GetClassNameA(s.Item(1018), cls, sizeof cls);
    EXPECT_STREQ("msctls_trackbar32", cls);
    // The focus starts on the first tab stop, OK.
    GUITHREADINFO gui;
    ZeroMemory(&gui, sizeof gui);
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(s.dialog, NULL), &gui));
    EXPECT_EQ(s.Item(IDOK), gui.hwndFocus);
    CancelAndExpectZero(s);
    EXPECT_FALSE(PathExists(s.SettingsPath()));
}

TEST(ConfigDialog, OpensWithClampedValues)
{
    DialogSession s;
    std::vector<std::string> lines = {"bgcolor=-1", "alpha=150", "mode=7",
                                      std::string("exepath=") + japaneseAccessory,
                                      "playlist=C:\\music\\list.m3u",
                                      "ext_scr_path=C:\\Savers\\other.scr"};
    ASSERT_TRUE(s.Prepare("dialog_clamped", &lines));
    std::string before = FileBytes(s.SettingsPath());
    ASSERT_TRUE(s.Open());
    EXPECT_EQ(RGB(255, 255, 255), SwatchColour(s, RGB(255, 255, 255)));
    EXPECT_EQ(100, s.SliderPos());
    EXPECT_EQ("100%", s.Text(1019));
    EXPECT_EQ(BST_UNCHECKED, s.Checked(1008));
    EXPECT_EQ(BST_CHECKED, s.Checked(1009));
    ExpectModeTable(s, false);
    EXPECT_EQ(japaneseAccessory, s.Text(1001));
    EXPECT_EQ("C:\\music\\list.m3u", s.Text(1005));
    EXPECT_EQ("C:\\Savers\\other.scr", s.Text(1010));
    CancelAndExpectZero(s);
    EXPECT_EQ(before, FileBytes(s.SettingsPath()));
}

TEST(ConfigDialog, SwatchShowsTheLoadedColour)
{
    DialogSession s;
    std::vector<std::string> lines = {"bgcolor=" + std::to_string(RGB(0x20, 0x40, 0xC0))};
    ASSERT_TRUE(s.Prepare("dialog_colour", &lines));
    ASSERT_TRUE(s.Open());
    EXPECT_EQ(RGB(0x20, 0x40, 0xC0), SwatchColour(s, RGB(0x20, 0x40, 0xC0)));
    CancelAndExpectZero(s);
}

TEST(ConfigDialog, SwitchingModeAndBackRestoresTheTable)
{
    DialogSession s;
    ASSERT_TRUE(s.Prepare("dialog_modes", NULL));
    ASSERT_TRUE(s.Open());
    std::vector<bool> initial = EnabledStates(s);
    ASSERT_TRUE(s.Click(1009));
    EXPECT_EQ(BST_CHECKED, s.Checked(1009));
    EXPECT_EQ(BST_UNCHECKED, s.Checked(1008));
    ExpectModeTable(s, false);
    ASSERT_TRUE(s.Click(1008));
    EXPECT_EQ(BST_CHECKED, s.Checked(1008));
    EXPECT_EQ(BST_UNCHECKED, s.Checked(1009));
    ExpectModeTable(s, true);
    EXPECT_EQ(initial, EnabledStates(s));
    // The mode last clicked is what OK saves.
    ASSERT_TRUE(s.Click(1009));
    OkAndExpectOne(s);
    EXPECT_EQ("1", s.Setting("mode"));
}

TEST(ConfigDialog, OkWritesEverySettingAndEndsWithOne)
{
    DialogSession s;
    std::vector<std::string> lines = {"bgcolor=255"};
    ASSERT_TRUE(s.Prepare("dialog_ok", &lines));
    ASSERT_TRUE(s.Open());
    s.SetText(1001, japaneseAccessory);
    s.SetText(1005, "C:\\music\\list.m3u");
    s.SetText(1010, "C:\\Savers\\other.scr");
    s.MoveSlider(35);
    EXPECT_EQ("35%", s.Text(1019));
    ASSERT_TRUE(s.Click(1009));
    OkAndExpectOne(s);
    EXPECT_EQ("255", s.Setting("bgcolor"));
    EXPECT_EQ("35", s.Setting("alpha"));
    EXPECT_EQ("1", s.Setting("mode"));
    EXPECT_EQ(japaneseAccessory, s.Setting("exepath"));
    EXPECT_EQ("C:\\music\\list.m3u", s.Setting("playlist"));
    EXPECT_EQ("C:\\Savers\\other.scr", s.Setting("ext_scr_path"));
}

TEST(ConfigDialog, OkWithEverythingEmptySavesEmptyPaths)
{
    DialogSession s;
    ASSERT_TRUE(s.Prepare("dialog_ok_empty", NULL));
    ASSERT_TRUE(s.Open());
    s.MoveSlider(100);
    EXPECT_EQ("100%", s.Text(1019));
    OkAndExpectOne(s);
    EXPECT_EQ("0", s.Setting("bgcolor"));
    EXPECT_EQ("100", s.Setting("alpha"));
    EXPECT_EQ("0", s.Setting("mode"));
    EXPECT_EQ("", s.Setting("exepath"));
    EXPECT_EQ("", s.Setting("playlist"));
    EXPECT_EQ("", s.Setting("ext_scr_path"));
}

TEST(ConfigDialog, SliderMovedWithTheKeyboard)
{
    DialogSession s;
    ASSERT_TRUE(s.Prepare("dialog_slider_keys", NULL));
    ASSERT_TRUE(s.Open());
    SetForegroundWindow(s.dialog);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == s.dialog; }, 5000));
    SendMessageTimeoutA(s.dialog, WM_NEXTDLGCTL, (WPARAM)s.Item(1018), TRUE, SMTO_ABORTIFHUNG,
                        5000, NULL);
    PressKey(VK_END);
    WaitUntil([&] { return s.Text(1019) == "100%"; }, 3000);
    EXPECT_EQ(100, s.SliderPos());
    EXPECT_EQ("100%", s.Text(1019));
    PressKey(VK_LEFT);
    WaitUntil([&] { return s.Text(1019) == "99%"; }, 3000);
    EXPECT_EQ("99%", s.Text(1019));
    CancelAndExpectZero(s);
    EXPECT_FALSE(PathExists(s.SettingsPath()));
}

namespace {

enum CloseWay { CancelButton, EscapeKey, CloseBox };

void ChangeEverythingThenClose(CloseWay way, const char* name)
{
    SCOPED_TRACE(name);
    DialogSession s;
    std::vector<std::string> lines = {"bgcolor=0", "alpha=10", "mode=0", "exepath=C:\\a.exe",
                                      "playlist=", "ext_scr_path="};
    ASSERT_TRUE(s.Prepare(name, &lines));
    std::string before = FileBytes(s.SettingsPath());
    ASSERT_TRUE(s.Open());
    s.SetText(1001, "C:\\other\\velkarodin.exe");
    s.SetText(1010, "C:\\Savers\\x.scr");
    s.MoveSlider(80);
    ASSERT_TRUE(s.Click(1009));
    if (way == CancelButton) {
        s.ClickOpening(IDCANCEL);
    } else if (way == EscapeKey) {
        ASSERT_TRUE(PressKeyIn(s.dialog, VK_ESCAPE));
    } else {
        PostMessageA(s.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    DWORD code = 1234;
    ASSERT_TRUE(s.WaitExit(exitWait, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(before, FileBytes(s.SettingsPath()));
}

}  // namespace

TEST(ConfigDialog, CancelEscapeAndCloseBoxWriteNothing)
{
    ChangeEverythingThenClose(CancelButton, "dialog_cancel");
    ChangeEverythingThenClose(EscapeKey, "dialog_escape");
    ChangeEverythingThenClose(CloseBox, "dialog_closebox");
}

TEST(ConfigDialog, RefusesTheSaverItselfAsExternalSaver)
{
    struct Case {
        const char* path;
        int modeButton;
    } cases[] = {
        {"C:\\Savers\\velkaro_ss_launcher.scr", 1009},
        {"C:\\Savers\\velkaro_ss_launcher.scr", 1008},
        {"velkaro_ss_launcher.scr", 1009},
        {"velkaro_ss_launcher.scr", 1008},
        {"D:velkaro_ss_launcher.scr", 1009},
        {"C:/Savers/velkaro_ss_launcher.scr", 1008},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + (c.modeButton == 1008 ? " simple" : " external"));
        DialogSession s;
        std::vector<std::string> lines = {"alpha=10"};
        ASSERT_TRUE(s.Prepare("dialog_refused", &lines));
        std::string before = FileBytes(s.SettingsPath());
        ASSERT_TRUE(s.Open());
        ASSERT_TRUE(s.Click(c.modeButton));
        s.SetText(1010, c.path);
        s.ClickOpening(IDOK);
        HWND box = s.WaitForOwnedDialog(10000);
        ASSERT_TRUE(box != NULL) << "no error box";
        EXPECT_TRUE(CodePageAsAnnounced());
        EXPECT_EQ(std::wstring(refusedTextW), WideText(GetDlgItem(box, 0xFFFF)));
        EXPECT_NE(std::wstring(launcherCaptionW), WideText(box));  // the system's default title
        EXPECT_NE(L"", WideText(box));
        if (GetACP() == 932) {
            EXPECT_EQ(refusedText, BoxText(box));
        }
        CloseMessageBox(box);
        EXPECT_TRUE(WaitForWindowGone(box, 5000) == NULL);
        // Answered once the click's handling is over: the dialog stays.
        EXPECT_TRUE(Answered(s.dialog));
        EXPECT_TRUE(IsWindow(s.dialog));
        EXPECT_TRUE(s.process.Running());
        EXPECT_EQ(before, FileBytes(s.SettingsPath()));
        // The user can correct the path; the dialog still works.
        EXPECT_EQ(c.path, s.Text(1010));
        CancelAndExpectZero(s);
        EXPECT_EQ(before, FileBytes(s.SettingsPath()));
    }
}

TEST(ConfigDialog, AcceptsOtherNamesThatLookLikeTheSaver)
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
        if (std::string(path).find('\x95') != std::string::npos && !IsCodePage932()) continue;
        SCOPED_TRACE(path);
        DialogSession s;
        ASSERT_TRUE(s.Prepare("dialog_accepted", NULL));
        ASSERT_TRUE(s.Open());
        s.SetText(1010, path);
        OkAndExpectOne(s);
        EXPECT_EQ(path, s.Setting("ext_scr_path"));
    }
    SKIP_UNLESS_CODE_PAGE_932() << " for the name with 0x95 0x5C";
}

TEST(ConfigDialog, LongTextsAreCutTo1021BytesOnOk)
{
    DialogSession s;
    ASSERT_TRUE(s.Prepare("dialog_long", NULL));
    ASSERT_TRUE(s.Open());
    s.SetText(1001, std::string(1500, 'a'));
    s.SetText(1005, std::string(1022, 'b'));
    s.SetText(1010, std::string(1021, 'c'));
    OkAndExpectOne(s);
    EXPECT_EQ(std::string(1021, 'a'), s.Setting("exepath"));
    EXPECT_EQ(std::string(1021, 'b'), s.Setting("playlist"));
    EXPECT_EQ(std::string(1021, 'c'), s.Setting("ext_scr_path"));
}

TEST(ConfigDialog, FailedSaveIsShownAndKeepsTheDialogOpen)
{
    DialogSession s;
    // With code page 1252 the folder's name holds an e acute (0xE9), which
    // would read as a lead byte if the path were converted as code page 932.
    ASSERT_TRUE(s.Prepare(GetACP() == 1252 ? "dialog_save_fails_\xe9" : "dialog_save_fails", NULL));
    // A folder where the settings file should be: every write fails.
    ASSERT_TRUE(CreateDirectoryA(s.SettingsPath().c_str(), NULL));
    ASSERT_TRUE(s.Open());
    s.SetText(1001, "C:\\a\\velkarodin.exe");
    s.ClickOpening(IDOK);
    HWND box = s.WaitForOwnedDialog(10000);
    ASSERT_TRUE(box != NULL) << "the failure was not shown";
    EXPECT_TRUE(CodePageAsAnnounced());
    // The path is the system's own ANSI text, in any code page.
    wchar_t path[1024];
    ASSERT_LT(0, MultiByteToWideChar(CP_ACP, 0, s.SettingsPath().c_str(), -1, path, 1024));
    std::wstring wideText = WideText(GetDlgItem(box, 0xFFFF));
    EXPECT_EQ(std::wstring(launcherCaptionW), WideText(box));
    EXPECT_EQ(0, lstrcmpiW((saveFailedTextW + std::wstring(path)).c_str(), wideText.c_str()));
    EXPECT_EQ(0u, wideText.find(saveFailedTextW));
    if (GetACP() == 932) {
        std::string text = BoxText(box);
        EXPECT_EQ(launcherCaption, WindowText(box));
        std::string expected = std::string(saveFailedText) + s.SettingsPath();
        EXPECT_EQ(0, lstrcmpiA(expected.c_str(), text.c_str())) << text;
        EXPECT_EQ(0u, text.find(saveFailedText));
    }
    CloseMessageBox(box);
    EXPECT_TRUE(WaitForWindowGone(box, 5000) == NULL);
    EXPECT_TRUE(Answered(s.dialog));
    EXPECT_TRUE(IsWindow(s.dialog));
    EXPECT_TRUE(s.process.Running());
    // The swatch brush is still alive: the swatch keeps its colour.
    InvalidateRect(s.Item(1003), NULL, TRUE);
    EXPECT_EQ(RGB(0, 0, 0), SwatchColour(s, RGB(0, 0, 0)));
    CancelAndExpectZero(s);
}

TEST(ConfigDialog, FileDialogsHaveTheirTitlesAndCancelChangesNothing)
{
    struct Case {
        int button, edit;
        const char* title;
    } cases[] = {
        {1002, 1001, accessoryTitle},
        {1006, 1005, playlistTitle},
        {1011, 1010, externalSaverTitle},
    };
    DialogSession s;
    std::vector<std::string> lines = {"mode=0"};
    ASSERT_TRUE(s.Prepare("dialog_files", &lines));
    ASSERT_TRUE(s.Open());
    ASSERT_TRUE(s.Click(1009));  // so that the external-saver button is enabled
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        if (c.button == 1006) {
            ASSERT_TRUE(s.Click(1008));
        }
        s.SetText(c.edit, "typed");
        s.ClickOpening(c.button);
        HWND files = s.WaitForOwnedDialog(15000);
        ASSERT_TRUE(files != NULL) << "no file dialog";
        EXPECT_EQ(c.title, WindowText(files));
        PostMessageA(files, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitForWindowGone(files, 10000) == NULL);
        EXPECT_TRUE(Answered(s.dialog));
        EXPECT_EQ("typed", s.Text(c.edit));
        if (c.button == 1002) {
            ASSERT_TRUE(s.Click(1009));
        }
    }
    CancelAndExpectZero(s);
    EXPECT_EQ("0", s.Setting("mode"));
}

TEST(ConfigDialog, ColourChooserCancelledKeepsTheColour)
{
    DialogSession s;
    std::vector<std::string> lines = {"bgcolor=65280"};
    ASSERT_TRUE(s.Prepare("dialog_colour_cancel", &lines));
    ASSERT_TRUE(s.Open());
    for (int round = 0; round < 2; round++) {
        s.ClickOpening(1004);
        HWND chooser = s.WaitForOwnedDialog(15000);
        ASSERT_TRUE(chooser != NULL) << "no colour chooser";
        PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitForWindowGone(chooser, 10000) == NULL);
    }
    EXPECT_EQ(RGB(0, 255, 0), SwatchColour(s, RGB(0, 255, 0)));
    OkAndExpectOne(s);
    EXPECT_EQ("65280", s.Setting("bgcolor"));
}

TEST(ConfigDialog, ColourChosenRepaintsTheSwatchAndIsSavedByOk)
{
    DialogSession s;
    ASSERT_TRUE(s.Prepare("dialog_colour_chosen", NULL));
    ASSERT_TRUE(s.Open());
    s.ClickOpening(1004);
    HWND chooser = s.WaitForOwnedDialog(15000);
    ASSERT_TRUE(chooser != NULL) << "no colour chooser";
    // The chooser's red, green and blue edits.
    const int rgbEdits[] = {706, 707, 708};
    const char* values[] = {"16", "160", "48"};
    for (int i = 0; i < 3; i++) {
        HWND edit = GetDlgItem(chooser, rgbEdits[i]);
        ASSERT_TRUE(edit != NULL);
        SendMessageTimeoutA(edit, WM_SETTEXT, 0, (LPARAM)values[i], SMTO_ABORTIFHUNG, 5000, NULL);
    }
    PostMessageA(chooser, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForWindowGone(chooser, 10000) == NULL);
    EXPECT_EQ(RGB(16, 160, 48), SwatchColour(s, RGB(16, 160, 48)));
    OkAndExpectOne(s);
    EXPECT_EQ(std::to_string(RGB(16, 160, 48)), s.Setting("bgcolor"));
}
