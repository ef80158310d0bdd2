// The configuration dialog: shows the settings, lets the user change them and
// saves them on OK. Texts given to the system are code page 932 bytes.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <string.h>

#include "host/saver_app.h"
#include "launcher/japanese_message.h"
#include "launcher/path_split.h"
#include "launcher/settings.h"
#include "launcher/settings_values.h"
#include "launcher/system_entry.h"
#include "launcher/version_text.h"
#include "resources/resource.h"

static int fileVersionParts[4];
static COLORREF customColors[16];
static HBRUSH swatchBrush;

// The maker's one-line notice, the second line of the version line; also the
// LegalCopyright of the version resource.
static const char makerNotice[] = "Copyright (C) 2026 velkaro_ss_launcher project";

static const char selfName[] = "velkaro_ss_launcher.scr";
// 外部呼び出しにvelkaro_ss_launcher.scrは指定できません
static const char refusedSelfText[] =
    "\x8a\x4f\x95\x94\x8c\xc4\x82\xd1\x8f\x6f\x82\xb5\x82\xc9velkaro_ss_launcher.scr"
    "\x82\xcd\x8e\x77\x92\xe8\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
// 設定を保存できませんでした。\n
static const char saveFailedText[] =
    "\x90\xdd\x92\xe8\x82\xf0\x95\xdb\x91\xb6\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1"
    "\x82\xc5\x82\xb5\x82\xbd\x81\x42\n";
// velkaro_v010用スクリーンセーバーLauncher
static const char launcherCaption[] =
    "velkaro_v010\x97\x70\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x83\x5a\x81\x5b\x83\x6f\x81\x5b"
    "Launcher";
// velkarodin.exeを選択してください
static const char accessoryTitle[] =
    "velkarodin.exe\x82\xf0\x91\x49\x91\xf0\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2";
// m3u形式のプレイリストを選択してください
static const char playlistTitle[] =
    "m3u\x8c\x60\x8e\xae\x82\xcc\x83\x76\x83\x8c\x83\x43\x83\x8a\x83\x58\x83\x67\x82\xf0\x91\x49"
    "\x91\xf0\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2";
// 起動するスクリーンセーバーを選択してください
static const char externalSaverTitle[] =
    "\x8b\x4e\x93\xae\x82\xb7\x82\xe9\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x83\x5a\x81\x5b\x83"
    "\x6f\x81\x5b\x82\xf0\x91\x49\x91\xf0\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2";

// A filter is pairs of texts closed by an empty one (the literal's own NUL).
static const char accessoryFilter[] = "velkarodin.exe\0velkarodin.exe\0";
static const char playlistFilter[] = "m3u files {*.m3u}\0*.m3u\0";
static const char externalSaverFilter[] = "scr files {*.scr}\0*.scr\0";

// Edits give at most 1021 bytes of text to the 1024-byte settings.
const int editReadCount = 1022;
// The size of OPENFILENAMEA with its trailing reserved fields and FlagsEx.
const DWORD openFileNameSize = 88;
static_assert(sizeof(OPENFILENAMEA) >= openFileNameSize, "OPENFILENAMEA too small");

// Only this dialog uses comctl32, comdlg32 and version.dll: each is loaded when
// the dialog first needs it (comctl32 here, version.dll as it opens, comdlg32
// when a chooser is asked for), so that run mode maps none of them.

// DialogBoxParamA creates the slider before the dialog procedure sees any
// message, so its class is registered here, just before the dialog. A failed
// registration (comctl32 missing) is left to the dialog's creation to report.
BOOL PrepareConfigDialog(HINSTANCE)
{
    auto InitCommonControlsEx = SYSTEM_ENTRY("comctl32.dll", InitCommonControlsEx);
    if (!InitCommonControlsEx) return TRUE;
    INITCOMMONCONTROLSEX classes;
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_BAR_CLASSES;
    InitCommonControlsEx(&classes);
    return TRUE;
}

static int IsLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) ? 1 : 0;
}

static void ReadFileVersion()
{
    for (int i = 0; i < 4; i++) fileVersionParts[i] = 0;
    auto GetFileVersionInfoSizeA = SYSTEM_ENTRY("version.dll", GetFileVersionInfoSizeA);
    auto GetFileVersionInfoA = SYSTEM_ENTRY("version.dll", GetFileVersionInfoA);
    auto VerQueryValueA = SYSTEM_ENTRY("version.dll", VerQueryValueA);
    // Without version.dll the version reads as when the resource is unreadable.
    if (!GetFileVersionInfoSizeA || !GetFileVersionInfoA || !VerQueryValueA) return;
    char name[MAX_PATH];
    GetModuleFileNameA(NULL, name, MAX_PATH);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(name, &handle);
    if (size == 0) return;
    void* block = HeapAlloc(GetProcessHeap(), 0, size);
    if (!block) return;
    char* text = NULL;
    UINT length = 0;
    if (GetFileVersionInfoA(name, 0, size, block) &&
        VerQueryValueA(block, "\\StringFileInfo\\041104b0\\FileVersion", (void**)&text,
                       &length) &&
        text) {
        // A bounded copy: the parser needs a terminated text it may cut.
        char copy[256];
        UINT n = 0;
        while (n < length && n < sizeof copy - 1 && text[n]) {
            copy[n] = text[n];
            n++;
        }
        copy[n] = '\0';
        ParseVersionParts(copy, fileVersionParts);
    }
    HeapFree(GetProcessHeap(), 0, block);
}

static void EnableModeControls(HWND dialog, int mode)
{
    static const int simpleControls[] = {
        IDC_BGCOLOR_LABEL, IDC_BGCOLOR_CHANGE, IDC_ALPHA_LABEL, IDC_ALPHA_SLIDER, IDC_ALPHA_VALUE,
        IDC_PLAYLIST_LABEL, IDC_PLAYLIST, IDC_PLAYLIST_BROWSE, IDC_PLAYLIST_NOTE};
    static const int externalControls[] = {IDC_EXT_SCR_LABEL, IDC_EXT_SCR_PATH,
                                           IDC_EXT_SCR_BROWSE, IDC_EXT_SCR_NOTE};
    BOOL simple = mode == simpleMode;
    for (int id : simpleControls) EnableWindow(GetDlgItem(dialog, id), simple);
    for (int id : externalControls) EnableWindow(GetDlgItem(dialog, id), !simple);
}

static int ChooseBackgroundColor(HWND owner, COLORREF* colour)
{
    if (!colour) return 0;
    // Custom colours never carry over from one opening to the next.
    for (int i = 0; i < 16; i++) customColors[i] = 0;
    CHOOSECOLORA choice;
    ZeroMemory(&choice, sizeof choice);
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner;
    choice.rgbResult = *colour;
    choice.lpCustColors = customColors;
    choice.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    // Without comdlg32 it is as if the user had cancelled.
    auto ChooseColorA = SYSTEM_ENTRY("comdlg32.dll", ChooseColorA);
    if (!ChooseColorA || !ChooseColorA(&choice)) return 0;
    *colour = choice.rgbResult;
    return 1;
}

static void ShowAlpha(HWND dialog)
{
    char text[16];
    wsprintfA(text, "%d%%", alpha);
    SetDlgItemTextA(dialog, IDC_ALPHA_VALUE, text);
}

static void OnInitDialog(HWND dialog)
{
    LoadSettings();
    ReadFileVersion();
    swatchBrush = CreateSolidBrush(bgcolor);
    SendDlgItemMessageA(dialog, IDC_ALPHA_SLIDER, TBM_SETRANGE, TRUE, MAKELONG(0, 100));
    SendDlgItemMessageA(dialog, IDC_ALPHA_SLIDER, TBM_SETPOS, TRUE, alpha);
    ShowAlpha(dialog);
    SetDlgItemTextA(dialog, IDC_EXEPATH, exepath);
    SetDlgItemTextA(dialog, IDC_PLAYLIST, playlist);
    SetDlgItemTextA(dialog, IDC_EXT_SCR_PATH, ext_scr_path);
    SendDlgItemMessageA(dialog, mode == simpleMode ? IDC_MODE_SIMPLE : IDC_MODE_EXTERNAL, BM_SETCHECK,
                        BST_CHECKED, 0);
    EnableModeControls(dialog, mode);
    char line[versionLineSize];
    FormatVersionLine(line, fileVersionParts, makerNotice);
    SetDlgItemTextA(dialog, IDC_ABOUT, line);
}

// Opens the file dialog on the setting's own buffer; a chosen path lands in
// the setting and is copied into its edit.
static void BrowseForFile(HWND dialog, int editId, char* setting, const char* filter,
                          const char* title, const char* initialDir, const char* extension)
{
    OPENFILENAMEA request;
    ZeroMemory(&request, sizeof request);
    request.lStructSize = openFileNameSize;
    request.hwndOwner = dialog;
    request.lpstrFilter = filter;
    request.lpstrFile = setting;
    request.nMaxFile = settingsTextSize;
    request.lpstrInitialDir = initialDir;
    request.lpstrTitle = title;
    request.Flags = OFN_FILEMUSTEXIST;
    request.lpstrDefExt = extension;
    // Without comdlg32 it is as if the user had cancelled.
    auto GetOpenFileNameA = SYSTEM_ENTRY("comdlg32.dll", GetOpenFileNameA);
    if (GetOpenFileNameA && GetOpenFileNameA(&request)) SetDlgItemTextA(dialog, editId, setting);
}

static void BrowseForExternalSaver(HWND dialog)
{
    char windowsDir[MAX_PATH] = "";
    GetWindowsDirectoryA(windowsDir, MAX_PATH);
    char initialDir[MAX_PATH + 16];
    wsprintfA(initialDir, "%s\\system32", windowsDir);
    BrowseForFile(dialog, IDC_EXT_SCR_PATH, ext_scr_path, externalSaverFilter,
                  externalSaverTitle, initialDir, "scr");
}

static void ChangeColour(HWND dialog)
{
    if (!ChooseBackgroundColor(dialog, &bgcolor)) return;
    DeleteObject(swatchBrush);
    swatchBrush = CreateSolidBrush(bgcolor);
    InvalidateRect(GetDlgItem(dialog, IDC_BGCOLOR_SWATCH), NULL, TRUE);
}

// A failed write would otherwise close the dialog as if all were saved.
static void ShowSaveFailure(HWND dialog)
{
    char file[settingsTextSize] = "";
    DWORD length = GetModuleFileNameA(NULL, file, sizeof file);
    if (length == 0 || length >= sizeof file || !SettingsPathFromModule(file)) file[0] = '\0';
    ShowJapaneseMessage(dialog, saveFailedText, file, launcherCaption, MB_OK | MB_ICONERROR);
}

static void EndConfigDialog(HWND dialog, int result)
{
    DeleteObject(swatchBrush);
    swatchBrush = NULL;
    EndDialog(dialog, result);
}

static void OnOk(HWND dialog)
{
    GetDlgItemTextA(dialog, IDC_PLAYLIST, playlist, editReadCount);
    GetDlgItemTextA(dialog, IDC_EXEPATH, exepath, editReadCount);
    GetDlgItemTextA(dialog, IDC_EXT_SCR_PATH, ext_scr_path, editReadCount);
    // The saver must not start itself as its own external saver.
    if (strcmp(LastPathComponent(ext_scr_path, IsLeadByte), selfName) == 0) {
        ShowJapaneseMessage(dialog, refusedSelfText, NULL, NULL, MB_OK | MB_ICONERROR);
        return;
    }
    if (!SaveSettings()) {
        ShowSaveFailure(dialog);
        return;
    }
    EndConfigDialog(dialog, 1);
}

static void SetMode(HWND dialog, int newMode)
{
    mode = newMode;
    EnableModeControls(dialog, newMode);
}

static BOOL OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK: OnOk(dialog); return TRUE;
    case IDCANCEL: EndConfigDialog(dialog, 0); return TRUE;
    case IDC_EXEPATH_BROWSE:
        BrowseForFile(dialog, IDC_EXEPATH, exepath, accessoryFilter, accessoryTitle, NULL, "exe");
        return TRUE;
    case IDC_BGCOLOR_CHANGE: ChangeColour(dialog); return TRUE;
    case IDC_PLAYLIST_BROWSE:
        BrowseForFile(dialog, IDC_PLAYLIST, playlist, playlistFilter, playlistTitle, NULL, "m3u");
        return TRUE;
    case IDC_MODE_SIMPLE: SetMode(dialog, simpleMode); return TRUE;
    case IDC_MODE_EXTERNAL: SetMode(dialog, externalCallMode); return TRUE;
    case IDC_EXT_SCR_BROWSE: BrowseForExternalSaver(dialog); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_HSCROLL:
        alpha = (int)SendDlgItemMessageA(dialog, IDC_ALPHA_SLIDER, TBM_GETPOS, 0, 0);
        ShowAlpha(dialog);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if ((HWND)lParam != GetDlgItem(dialog, IDC_BGCOLOR_SWATCH)) return FALSE;
        SetBkColor((HDC)wParam, bgcolor);
        return (INT_PTR)swatchBrush;
    }
    return FALSE;
}
