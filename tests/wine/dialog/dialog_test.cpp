// The configuration dialog of the real saver, started with /c and driven from
// outside. Runs with code page 932, so Japanese texts compare as its bytes;
// the tests of what the dialog, its boxes and choosers show also run with
// code page 1252, where they compare as the wide text the user sees.
#include <gtest/gtest.h>
#include <string.h>

#include <memory>

#include "dialog_driver.h"
#include "platform_checks.h"
#include "registry_scope.h"
#include "resource_reader.h"

namespace {

const wchar_t refusedText[] = L"外部呼び出しにvelkaro_ss_launcher.scrは指定できません";
const wchar_t saveFailedText[] = L"設定を保存できませんでした。\n";
const wchar_t unreadableText[] = L"設定ファイルを読み込めませんでした。ほかのプログラムが使用中の可能性があります。設定が失われないよう、この画面からは保存しません。しばらくしてから設定を開き直してください。\n";
const wchar_t launcherCaption[] = L"velkaro_v010用スクリーンセーバーLauncher";
const std::string japaneseAccessory = Sjis(L"C:\\ツール\\velkarodin.exe");
const char playlist[] = "C:\\music\\list.m3u";
const char otherSaver[] = "C:\\Savers\\other.scr";

const wchar_t unusableText[] =
    L"選択したファイルのパスは、このシステムの文字コードで表せない文字を含むため使用できません。\n";

// An existing file outside the code page as stored: its folder as written,
// its name by its short (8.3) name; "" when there is none, or it does not
// convert exactly or fit in 1023 bytes.
std::string StorableShortName(const std::wstring& path)
{
    wchar_t shortPath[1024] = L"";
    DWORD n = GetShortPathNameW(path.c_str(), shortPath, 1024);
    if (n == 0 || n >= 1024) return "";
    std::wstring form = path.substr(0, path.rfind(L'\\')) + wcsrchr(shortPath, L'\\');
    std::string bytes = Ansi(form);
    return bytes.size() > 1023 || Wide(bytes) != form ? "" : bytes;
}
bool WriteFileW(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    return file != INVALID_HANDLE_VALUE && CloseHandle(file);
}

// Controls switched by the mode, simple-mode ones first.
const int simpleRow[] = {IDC_BGCOLOR_LABEL, IDC_BGCOLOR_CHANGE, IDC_ALPHA_LABEL,
                         IDC_ALPHA_SLIDER, IDC_ALPHA_VALUE, IDC_PLAYLIST_LABEL,
                         IDC_PLAYLIST, IDC_PLAYLIST_BROWSE, IDC_PLAYLIST_NOTE};
const int externalRow[] = {IDC_EXT_SCR_LABEL, IDC_EXT_SCR_PATH, IDC_EXT_SCR_BROWSE,
                           IDC_EXT_SCR_NOTE};
// Never switched.
const int fixedControls[] = {IDC_EXEPATH, IDC_EXEPATH_BROWSE, IDC_BGCOLOR_SWATCH, IDC_ABOUT,
                             IDC_MODE_SIMPLE, IDC_MODE_EXTERNAL, IDOK, IDCANCEL};

// The mode's radio buttons and the controls it enables.
void ExpectMode(DialogSession& s, bool simple)
{
    EXPECT_EQ(simple ? BST_CHECKED : BST_UNCHECKED, s.Checked(IDC_MODE_SIMPLE));
    EXPECT_EQ(simple ? BST_UNCHECKED : BST_CHECKED, s.Checked(IDC_MODE_EXTERNAL));
    for (int id : simpleRow) EXPECT_EQ(simple, s.Enabled(id)) << "control " << id;
    for (int id : externalRow) EXPECT_EQ(!simple, s.Enabled(id)) << "control " << id;
    for (int id : fixedControls) EXPECT_TRUE(s.Enabled(id)) << "control " << id;
}

// The swatch is painted by the saver; waits until the screen shows it.
void ExpectSwatch(DialogSession& s, COLORREF expected)
{
    COLORREF c = CLR_INVALID;
    WaitUntil([&] { return (c = CentrePixel(s.Item(IDC_BGCOLOR_SWATCH))) == expected; }, 3000);
    EXPECT_EQ(expected, c);
}

// What the dialog shows of the settings it loaded; paths: accessory, playlist, other saver.
void ExpectShown(DialogSession& s, COLORREF colour, int alpha, bool simple,
                 const std::vector<std::string>& paths)
{
    ExpectSwatch(s, colour);
    EXPECT_EQ(std::make_pair(alpha, std::to_string(alpha) + "%"),
              std::make_pair(s.SliderPos(), s.Text(IDC_ALPHA_VALUE)));
    ExpectMode(s, simple);
    EXPECT_EQ(paths, (std::vector<std::string>{s.Text(IDC_EXEPATH), s.Text(IDC_PLAYLIST),
                                                s.Text(IDC_EXT_SCR_PATH)}));
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
              s.Text(IDC_ABOUT));
    EXPECT_TRUE(IsWindowOf(s.Item(IDC_ALPHA_SLIDER), "msctls_trackbar32", s.process.id));
    // The focus starts on the first field, the accessory's path.
    EXPECT_EQ(s.Item(IDC_EXEPATH), s.Focus());
    EndWith(s, IDCANCEL, 0);
    EXPECT_FALSE(PathExists(s.SettingsPath()));
}

TEST_F(ConfigDialog, ShowsTheTemplatesTextsAsWritten)
{
    HMODULE file = LoadLibraryExA(SaverPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(file);
    std::vector<std::wstring> written = DialogTemplateTexts(
        FindResourceBytes(file, RT_DIALOG, MAKEINTRESOURCEA(IDD_CONFIG)));
    FreeLibrary(file);
    ASSERT_EQ(25u, written.size()) << "the caption and 24 controls";
    ASSERT_TRUE(s.Start("dialog_texts"));
    EXPECT_TRUE(CodePageAsAnnounced());
    // The caption, then the controls in template (z) order.
    std::vector<HWND> windows = {s.dialog};
    for (HWND c = GetWindow(s.dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        windows.push_back(c);
    ASSERT_EQ(written.size(), windows.size());
    for (size_t i = 0; i < windows.size(); i++) {
        if (windows[i] == s.Item(IDC_ABOUT)) continue;  // the version line replaces it
        SCOPED_TRACE(i);
        EXPECT_EQ(written[i], WideText(windows[i]));
        if (GetACP() == 932) {
            EXPECT_EQ(Sjis(written[i].c_str()), WindowText(windows[i]));
        }
    }
    EndWith(s, IDCANCEL, 0);
}

TEST_F(ConfigDialog, OpensWithClampedValues)
{
    ASSERT_TRUE(s.Start("dialog_clamped",
                        {"bgcolor=-1", "alpha=150", "mode=7", "exepath=" + japaneseAccessory,
                         std::string("playlist=") + playlist,
                         std::string("ext_scr_path=") + otherSaver}));
    ExpectShown(s, RGB(255, 255, 255), 100, false, {japaneseAccessory, playlist, otherSaver});
    EXPECT_EQ(DPI_AWARENESS_PER_MONITOR_AWARE, DpiAwareness(s.dialog));
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
    ASSERT_TRUE(s.Click(IDC_MODE_EXTERNAL));
    ExpectMode(s, false);
    ASSERT_TRUE(s.Click(IDC_MODE_SIMPLE));
    ExpectMode(s, true);
    // The mode last clicked is what OK saves.
    ASSERT_TRUE(s.Click(IDC_MODE_EXTERNAL));
    EndWith(s, IDOK, 1);
    EXPECT_EQ("1", s.Setting("mode"));
}

TEST_F(ConfigDialog, OkWritesEverySettingAndEndsWithOne)
{
    ASSERT_TRUE(s.Start("dialog_ok", {"bgcolor=255"}));
    s.SetText(IDC_EXEPATH, japaneseAccessory);
    s.SetText(IDC_PLAYLIST, playlist);
    s.SetText(IDC_EXT_SCR_PATH, otherSaver);
    s.MoveSlider(35);
    EXPECT_EQ("35%", s.Text(IDC_ALPHA_VALUE));
    ASSERT_TRUE(s.Click(IDC_MODE_EXTERNAL));
    EndWith(s, IDOK, 1);
    ExpectSaved(s, {"255", "35", "1", japaneseAccessory, playlist, otherSaver});
}

TEST_F(ConfigDialog, OkWithEverythingEmptySavesEmptyPaths)
{
    ASSERT_TRUE(s.Start("dialog_ok_empty"));
    s.MoveSlider(100);
    EXPECT_EQ("100%", s.Text(IDC_ALPHA_VALUE));
    EndWith(s, IDOK, 1);
    ExpectSaved(s, {"0", "100", "0", "", "", ""});
}

TEST_F(ConfigDialog, SliderMovedWithTheKeyboard)
{
    ASSERT_TRUE(s.Start("dialog_slider_keys"));
    Ask(s.dialog, WM_NEXTDLGCTL, (WPARAM)s.Item(IDC_ALPHA_SLIDER), TRUE);
    for (const auto& k : {std::make_pair(VK_END, 100), std::make_pair(VK_LEFT, 99)}) {
        ASSERT_TRUE(PressKeyIn(s.dialog, k.first));
        std::string shown = std::to_string(k.second) + "%";
        EXPECT_TRUE(WaitUntil([&] { return s.Text(IDC_ALPHA_VALUE) == shown; }, 3000))
            << s.Text(IDC_ALPHA_VALUE);
        EXPECT_EQ(k.second, s.SliderPos());
    }
    EndWith(s, IDCANCEL, 0);
    EXPECT_FALSE(PathExists(s.SettingsPath()));
}

// Tab, every access key (Alt and the letter shown as "(&B)"), an arrow and Enter.
TEST_F(ConfigDialog, WorksFromTheKeyboardAlone)
{
    // A key, or 0 for Alt and the letter of a control (a field, or the window
    // so many before it); then the focus. The colour button opens its chooser.
    const struct { WORD key; int field, back, focus; } steps[] = {
        {VK_TAB, 0, 0, IDC_EXEPATH_BROWSE}, {VK_TAB, 0, 0, IDC_MODE_SIMPLE},
        {VK_TAB, 0, 0, IDC_BGCOLOR_CHANGE}, {VK_TAB, 0, 0, IDC_ALPHA_SLIDER},
        {VK_TAB, 0, 0, IDC_PLAYLIST}, {VK_TAB, 0, 0, IDC_PLAYLIST_BROWSE}, {VK_TAB, 0, 0, IDOK},
        {VK_TAB, 0, 0, IDCANCEL}, {VK_TAB, 0, 0, IDC_EXEPATH},
        {0, IDC_MODE_SIMPLE, 1, IDC_MODE_SIMPLE}, {0, IDC_EXEPATH, 2, IDC_EXEPATH},
        {0, IDC_ALPHA_LABEL, 0, IDC_ALPHA_SLIDER}, {0, IDC_EXEPATH, 1, IDC_EXEPATH},
        {0, IDC_PLAYLIST_LABEL, 0, IDC_PLAYLIST}, {0, IDC_BGCOLOR_LABEL, 0, IDC_BGCOLOR_CHANGE},
        {0, IDC_BGCOLOR_CHANGE, 0, IDC_BGCOLOR_CHANGE},
        {0, IDC_MODE_EXTERNAL, 0, IDC_MODE_EXTERNAL}, {0, IDC_EXT_SCR_LABEL, 0, IDC_EXT_SCR_PATH},
        {0, IDC_MODE_SIMPLE, 0, IDC_MODE_SIMPLE}, {VK_DOWN, 0, 0, IDC_MODE_EXTERNAL}};
    ASSERT_TRUE(s.Start("dialog_keyboard"));
    for (const auto& k : steps) {
        SCOPED_TRACE(&k - steps);
        HWND named = s.Item(k.field);
        for (int i = 0; i < k.back; i++) named = GetWindow(named, GW_HWNDPREV);
        std::wstring text = WideText(named);
        size_t at = text.find(L"(&");
        ASSERT_TRUE(k.key || at != std::wstring::npos) << "no access key";
        WORD key = k.key ? k.key : towupper(text[at + 2]);
        ASSERT_TRUE(PressKeyIn(s.dialog, key, k.key ? 0 : VK_MENU));
        if (k.field == IDC_BGCOLOR_CHANGE) {
            HWND chooser = WaitForDialogOf(s.process.id, s.dialog, 15000);
            ASSERT_TRUE(chooser) << "no colour chooser";
            PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
        }
        EXPECT_TRUE(WaitUntil([&] { return s.Focus() == s.Item(k.focus); }, 5000));
        // A radio button focused is the one selected: Tab never changes the mode.
        bool radio = k.focus == IDC_MODE_SIMPLE || k.focus == IDC_MODE_EXTERNAL;
        EXPECT_EQ(radio, s.Checked(k.focus) == BST_CHECKED);
    }
    ASSERT_TRUE(PressKeyIn(s.dialog, VK_RETURN));  // in a field: OK
    EndWith(s, 0, 1);
    EXPECT_EQ("1", s.Setting("mode"));
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
        d.SetText(IDC_EXEPATH, "C:\\other\\velkarodin.exe");
        d.SetText(IDC_EXT_SCR_PATH, "C:\\Savers\\x.scr");
        d.MoveSlider(80);
        ASSERT_TRUE(d.Click(IDC_MODE_EXTERNAL));
        ASSERT_TRUE(way.second(d.dialog));
        EndWith(d, 0, 0);
    }
}

TEST_F(ConfigDialog, RefusesTheSaverItselfAsExternalSaver)
{
    // The path, and the mode button clicked before.
    const std::pair<const char*, int> cases[] = {
        {"C:\\Savers\\velkaro_ss_launcher.scr", IDC_MODE_EXTERNAL},
        {"C:\\Savers\\velkaro_ss_launcher.scr", IDC_MODE_SIMPLE},
        {"velkaro_ss_launcher.scr", IDC_MODE_EXTERNAL}, {"velkaro_ss_launcher.scr", IDC_MODE_SIMPLE},
        {"D:velkaro_ss_launcher.scr", IDC_MODE_EXTERNAL},
        {"C:/Savers/velkaro_ss_launcher.scr", IDC_MODE_SIMPLE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.first) +
                     (c.second == IDC_MODE_SIMPLE ? " simple" : " external"));
        DialogSession d;
        ASSERT_TRUE(d.Start("dialog_refused", {"alpha=10"}));
        ASSERT_TRUE(d.Click(c.second));
        d.SetText(IDC_EXT_SCR_PATH, c.first);
        HWND box = d.Opened(IDOK, 10000);
        ASSERT_TRUE(box) << "no error box";
        EXPECT_TRUE(CodePageAsAnnounced());
        EXPECT_EQ(std::wstring(refusedText), WideText(GetDlgItem(box, boxTextId)));
        EXPECT_NE(std::wstring(launcherCaption), WideText(box));  // the system's default title
        EXPECT_NE(L"", WideText(box));
        if (GetACP() == 932) {
            EXPECT_EQ(Sjis(refusedText), BoxText(box));
        }
        CloseBoxDialogStays(d, box);
        EXPECT_EQ(d.before, d.SettingsNow());
        // The user can correct the path; the dialog still works.
        EXPECT_EQ(c.first, d.Text(IDC_EXT_SCR_PATH));
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
        d.SetText(IDC_EXT_SCR_PATH, path);
        EndWith(d, IDOK, 1);
        EXPECT_EQ(path, d.Setting("ext_scr_path"));
    }
    SKIP_UNLESS_CODE_PAGE_932() << " for the name with 0x95 0x5C";
}

TEST_F(ConfigDialog, LongTextsAreCutTo1021BytesOnOk)
{
    ASSERT_TRUE(s.Start("dialog_long"));
    s.SetText(IDC_EXEPATH, std::string(1500, 'a'));
    s.SetText(IDC_PLAYLIST, std::string(1022, 'b'));
    s.SetText(IDC_EXT_SCR_PATH, std::string(1021, 'c'));
    EndWith(s, IDOK, 1);
    std::string a(1021, 'a'), b(1021, 'b'), c(1021, 'c');
    ExpectSaved(s, {"0", "0", "0", a, b, c});
}

// A file that cannot be written is named in the box: the one beside the
// program where no user folder is known, else the user's (where the save
// went last, or the only one failing: held open for reading). One held open
// wholly is reported as the dialog opens, and OK, even once the file is
// free, writes no defaults over it.
TEST_F(ConfigDialog, FailedSaveIsShownAndKeepsTheDialogOpen)
{
    for (int failing : {0, 1, 2, 3}) {  // beside, both, the user's, the user's unread
        SCOPED_TRACE(failing);
        UserSettingsScope user;
        // With code page 1252 the folder's name holds an e acute (0xE9), which
        // would read as a lead byte if the path were converted as code page 932.
        ASSERT_TRUE(s.Prepare((GetACP() == 1252 ? "dialog_save_fails_\xe9" : "dialog_save_fails") +
                              std::to_string(failing)));
        ASSERT_TRUE(failing > 1 ? CreateDirectoryA(user.Folder().c_str(), NULL) &&
                                      WriteFileBytes(user.Path(), "alpha=35")
                                : CreateDirectoryA(s.SettingsPath().c_str(), NULL) &&
                                      (failing == 0 || user.Block()));
        std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> held(
            CreateFileA(user.Path().c_str(), GENERIC_READ, failing == 3 ? 0 : FILE_SHARE_READ, NULL,
                        OPEN_EXISTING, 0, NULL), CloseHandle);
        SetEnvironmentVariableA("APPDATA", failing ? getenv("APPDATA") : NULL);
        bool opened = s.Open();
        SetEnvironmentVariableA("APPDATA", getenv("APPDATA"));
        ASSERT_TRUE(opened);
        HWND box = failing == 3 ? WaitForDialogOf(s.process.id, s.dialog, 10000) : s.dialog;
        ASSERT_TRUE(box) << "the unreadable file was not reported";
        if (box != s.dialog) CloseBoxDialogStays(s, box), held.reset();
        s.SetText(IDC_EXEPATH, "C:\\a\\velkarodin.exe");
        box = s.Opened(IDOK, 10000);
        ASSERT_TRUE(box) << "the failure was not shown";
        EXPECT_TRUE(CodePageAsAnnounced());
        // The path is the system's own ANSI text, in any code page.
        std::string path = failing ? user.Path() : s.SettingsPath();
        std::wstring text = (failing == 3 ? unreadableText : saveFailedText) + Wide(path);
        EXPECT_EQ(std::wstring(launcherCaption), WideText(box));
        EXPECT_EQ(0, lstrcmpiW(text.c_str(), WideText(GetDlgItem(box, boxTextId)).c_str()));
        if (GetACP() == 932) {
            EXPECT_EQ(Sjis(launcherCaption), WindowText(box));
            EXPECT_EQ(0, lstrcmpiA(Ansi(text).c_str(), BoxText(box).c_str())) << BoxText(box);
        }
        CloseBoxDialogStays(s, box);
        // The swatch brush is still alive: the swatch keeps its colour.
        InvalidateRect(s.Item(IDC_BGCOLOR_SWATCH), NULL, TRUE);
        ExpectSwatch(s, RGB(0, 0, 0));
        EndWith(s, IDCANCEL, 0);
        EXPECT_EQ(failing > 1 ? "alpha=35" : "", ReadText(user.Path()));
    }
}

// The dialog shows the virtual store's copy, read before the file beside the
// program, writable or not (a folder in its place). OK saves to the user's
// own file, which run mode uses and the dialog shows, and which comes first.
TEST_F(ConfigDialog, UnwritableFolderSavesToTheUsersFileThatRunModeUses)
{
    for (int writable : {0, 1}) {
        SCOPED_TRACE(writable);
        UserSettingsScope user;
        AccessoryFolder f("dialog_user_file" + std::to_string(writable));
        s.scr = f.scr;
        std::string local = EnvValue("LOCALAPPDATA");
        ASSERT_FALSE(local.empty());
        std::string store = local + "\\VirtualStore" + s.SettingsPath().substr(2);
        for (size_t at = 0; (at = store.find('\\', at + 1)) != std::string::npos;)
            CreateDirectoryA(store.substr(0, at).c_str(), NULL);
        ASSERT_TRUE(WriteFileBytes(store, "[setting]\r\nexepath=stored"));
        ASSERT_TRUE((writable ? WriteSettingsFor(f.scr, {"exepath=old"})
                              : CreateDirectoryA(s.SettingsPath().c_str(), NULL)) && s.Open());
        EXPECT_EQ("stored", s.Text(IDC_EXEPATH));
        s.SetText(IDC_EXEPATH, f.accessory);
        EndWith(s, IDOK, 1);
        TestProcess saver;
        ASSERT_TRUE(StartSaver(&saver, f.scr, "/s"));
        EXPECT_TRUE(WaitForText(f.AccessoryLog(), " window ", 10000)) << "no accessory started";
        saver.End();
        ASSERT_TRUE((writable || RemoveDirectoryA(s.SettingsPath().c_str())) &&
                    WriteSettingsFor(f.scr, {"exepath=beside"}) && s.Open());
        EXPECT_EQ(f.accessory, s.Text(IDC_EXEPATH));
        EndWith(s, IDOK, 1);
        EXPECT_EQ("beside", s.Setting("exepath"));
        DeleteFileA(store.c_str());
        for (size_t at = store.size(); (at = store.rfind('\\', at - 1)) > local.size();)
            RemoveDirectoryA(store.substr(0, at).c_str());  // only the folders left empty
    }
}

// At 144 DPI (150 %) the dialog is half as large again as at 96; told that
// it moved to a monitor at 144 DPI, it scales its controls so.
TEST_F(ConfigDialog, ScalesWithTheDpi)
{
    SKIP_UNLESS_WINE("set the DPI for the programs it starts");
    RECT at[2], ok[2];
    for (int i = 0; i < 2; i++) {
        LogPixelsScope dpi(i ? 144 : 96);
        ASSERT_TRUE(s.Start("dialog_dpi") && GetWindowRect(s.dialog, &at[i]) &&
                    GetWindowRect(s.Item(IDOK), &ok[i]));
        EndWith(s, IDCANCEL, 0);
    }
    EXPECT_NEAR(1.5, double(at[1].right - at[1].left) / (at[0].right - at[0].left), 0.1);
    EXPECT_NEAR(1.5, double(at[1].bottom - at[1].top) / (at[0].bottom - at[0].top), 0.1);
    ASSERT_TRUE(s.Start("dialog_dpi_moved") && GetWindowRect(s.Item(IDOK), &ok[0]));
    Ask(s.dialog, WM_DPICHANGED, MAKEWPARAM(144, 144));  // the rect is the system's to give
    GetWindowRect(s.Item(IDOK), &ok[1]);
    EXPECT_NEAR(1.5 * (ok[0].right - ok[0].left), ok[1].right - ok[1].left, 1);
    EXPECT_NEAR(1.5 * (ok[0].bottom - ok[0].top), ok[1].bottom - ok[1].top, 1);
    EndWith(s, IDCANCEL, 0);
}

TEST_F(ConfigDialog, FileDialogsHaveTheirTitlesAndCancelChangesNothing)
{
    // Each button, its edit, the mode button that enables it, and its
    // dialog's title, read as written on any code page.
    const struct { int button, edit, mode; const wchar_t* title; } cases[] = {
        {IDC_EXEPATH_BROWSE, IDC_EXEPATH, IDC_MODE_EXTERNAL, L"velkarodin.exeを選択してください"},
        {IDC_PLAYLIST_BROWSE, IDC_PLAYLIST, IDC_MODE_SIMPLE,
         L"m3u形式のプレイリストを選択してください"},
        {IDC_EXT_SCR_BROWSE, IDC_EXT_SCR_PATH, IDC_MODE_EXTERNAL,
         L"起動するスクリーンセーバーを選択してください"},
    };
    ASSERT_TRUE(s.Start("dialog_files", {"mode=0"}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        ASSERT_TRUE(s.Click(c.mode));
        s.SetText(c.edit, "typed");
        HWND files = s.Opened(c.button, 15000);
        ASSERT_TRUE(files) << "no file dialog";
        EXPECT_TRUE(CodePageAsAnnounced());
        EXPECT_EQ(std::wstring(c.title), WideText(files));
        if (GetACP() == 932) {
            EXPECT_EQ(Sjis(c.title), WindowText(files));
        }
        PostMessageA(files, WM_COMMAND, IDCANCEL, 0);
        EXPECT_FALSE(WaitForWindowGone(files, 10000));
        EXPECT_TRUE(Answered(s.dialog));
        EXPECT_EQ("typed", s.Text(c.edit));
    }
    EndWith(s, IDCANCEL, 0);
    EXPECT_EQ("0", s.Setting("mode"));
}

TEST_F(ConfigDialog, PickedPathsAreStoredAsTheCodePageCanHoldThem)
{
    // Names that reach the saver only as wide text: Japanese ones fit code
    // page 932, Korean ones no code page here.
    const std::wstring folder = Wide(MakeTestDir("dialog_picked"));
    const std::wstring lists = folder + L"\\lists";
    const std::wstring japanese = lists + L"\\プレイリスト.m3u8";
    const std::wstring korean = lists + L"\\한국어 노래.m3u";
    // Deep enough that its short (8.3) name may pass 1023 bytes, yet within
    // the chooser's 259 characters: from a folder at the system drive's root.
    wchar_t windowsDir[MAX_PATH] = L"";
    GetWindowsDirectoryW(windowsDir, MAX_PATH);
    const std::wstring deepRoot = std::wstring(windowsDir, 3) + L"velkaro_deep";
    RemoveTree(Ansi(deepRoot));
    std::wstring deep = deepRoot;
    for (CreateDirectoryW(deep.c_str(), NULL); deep.size() + 2 + 8 <= 259;)
        CreateDirectoryW((deep += L"\\한").c_str(), NULL);
    deep += L"\\목록.m3u";
    ASSERT_TRUE(CreateDirectoryW(lists.c_str(), NULL));
    for (const wchar_t* name : {L"list.m3u", L"list.m3u8", L"notes.txt"})
        ASSERT_TRUE(WriteFileW(lists + L"\\" + name));
    ASSERT_TRUE(WriteFileW(japanese) && WriteFileW(korean) && WriteFileW(deep));
    const std::string first = Ansi(lists + L"\\list.m3u");
    ASSERT_TRUE(s.Start("dialog_picked_saver", {"playlist=" + first}));

    // Picked as typed into the chooser; "" expects the error box.
    const std::pair<std::wstring, std::string> picks[] = {
        {lists + L"\\list.m3u8", Ansi(lists + L"\\list.m3u8")},
        {japanese, GetACP() == 932 ? Sjis(japanese.c_str()) : StorableShortName(japanese)},
        {korean, StorableShortName(korean)},
        {deep, StorableShortName(deep)},
    };
    // Under Wine, where every such name has a short one, the Korean name is
    // stored by it and the deep path's is too long: both ways are taken.
    if (UnderTheHarness()) {
        EXPECT_NE("", picks[2].second);
        EXPECT_EQ("", picks[3].second) << "the deep path's short name fits";
    }
    std::string shown = first;
    for (const auto& pick : picks) {
        SCOPED_TRACE(&pick - picks);
        HWND files = s.Opened(IDC_PLAYLIST_BROWSE, 15000);
        ASSERT_TRUE(files) << "no file dialog";
        // Opened in the playlist's folder, listing *.m3u and *.m3u8 only (the
        // list view of Wine's chooser; Windows' own draws its list otherwise).
        if (&pick == picks && (ChooserList(files) || UnderTheHarness())) {
            int listed = 0;
            WaitUntil([&] { return (listed = ChooserListed(files)) == 4; }, 5000);
            EXPECT_EQ(4, listed) << "list.m3u, list.m3u8 and the two wide names";
        }
        ChooserOpen(files, pick.first);
        EXPECT_FALSE(WaitForWindowGone(files, 10000));
        if (pick.second.empty()) {
            HWND box = WaitForDialogOf(s.process.id, s.dialog, 10000);
            ASSERT_TRUE(box) << "no error box";
            EXPECT_EQ(unusableText + pick.first, WideText(GetDlgItem(box, boxTextId)));
            EXPECT_EQ(std::wstring(launcherCaption), WideText(box));
            CloseBoxDialogStays(s, box);
        } else {
            EXPECT_TRUE(Answered(s.dialog));
            shown = pick.second;
        }
        EXPECT_EQ(shown, s.Text(IDC_PLAYLIST));
    }
    // Typed or pasted, the same: OK refuses what has no such form, saving nothing.
    for (const std::wstring& typed : {lists + L"\\없음.m3u", deep, japanese}) {
        SendMessageTimeoutW(s.Item(IDC_PLAYLIST), WM_SETTEXT, 0, (LPARAM)typed.c_str(),
                            SMTO_ABORTIFHUNG, 5000, NULL);
        if (typed == japanese) break;
        HWND box = s.Opened(IDOK, 10000);
        ASSERT_TRUE(box) << "no error box";
        EXPECT_EQ(unusableText + typed, WideText(GetDlgItem(box, 0xFFFF)));
        CloseBoxDialogStays(s, box);
        EXPECT_EQ(s.before, s.SettingsNow());
    }
    shown = picks[1].second;
    EndWith(s, IDOK, 1);
    EXPECT_EQ(shown, s.Setting("playlist"));
    RemoveTree(Ansi(deepRoot));
}

TEST_F(ConfigDialog, ColourChooserCancelledKeepsTheColour)
{
    ASSERT_TRUE(s.Start("dialog_colour_cancel", {"bgcolor=65280"}));
    for (int round = 0; round < 2; round++) {
        HWND chooser = s.Opened(IDC_BGCOLOR_CHANGE, 15000);
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
    HWND chooser = s.Opened(IDC_BGCOLOR_CHANGE, 15000);
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
