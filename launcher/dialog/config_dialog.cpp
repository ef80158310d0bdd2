// The configuration dialog: shows the settings, lets the user change them and
// saves them on OK. Its Japanese texts are UTF-16 (template and string table)
// and reach the system through wide functions; the settings stay ANSI bytes.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <string.h>

#include "launcher/dialog/config_dialog.h"
#include "launcher/dialog/access_key_room.h"
#include "launcher/common/ansi_path.h"
#include "launcher/dialog/dialog_scale.h"
#include "launcher/common/japanese_message.h"
#include "launcher/common/path_split.h"
#include "launcher/settings/settings.h"
#include "launcher/common/system_entry.h"
#include "launcher/dialog/version_text.h"
#include "resources/resource.h"

// The dialog's working copy of the settings: what the controls show and
// the choosers fill. OK commits it only once its checks pass.
static Settings working;
static int fileVersionParts[4];
static COLORREF customColors[16];
static HBRUSH swatchBrush;
// The settings file that could not be read when the dialog opened, else
// empty: OK must not put the defaults shown in its place.
static char unreadableFile[settingsTextSize];
// Posted at opening, so that the box shows above the dialog.
static const UINT showUnreadableMessage = WM_APP + 1;

// The maker's one-line notice, the second line of the version line; also the
// LegalCopyright of the version resource.
static const char makerNotice[] = "Copyright (C) 2026 velkaro_ss_launcher project";

static const char selfName[] = "velkaro_ss_launcher.scr";

// A file chooser: the edit and the working copy's field it fills, its texts
// in the string table, its default extension.
struct Chooser {
    int editId;
    char (Settings::*setting)[settingsTextSize];
    UINT titleId, filterNameId, filterPatternId;
    const WCHAR* extension;
};

static const Chooser accessoryChooser = {IDC_EXEPATH, &Settings::exepath, IDS_ACCESSORY_TITLE,
                                         IDS_ACCESSORY_FILTER_NAME, IDS_ACCESSORY_FILTER_PATTERN,
                                         L"exe"};
static const Chooser playlistChooser = {IDC_PLAYLIST, &Settings::playlist, IDS_PLAYLIST_TITLE,
                                        IDS_PLAYLIST_FILTER_NAME, IDS_PLAYLIST_FILTER_PATTERN,
                                        L"m3u"};
static const Chooser externalSaverChooser = {IDC_EXT_SCR_PATH, &Settings::ext_scr_path,
                                             IDS_EXT_SCR_TITLE,
                                             IDS_EXT_SCR_FILTER_NAME, IDS_EXT_SCR_FILTER_PATTERN,
                                             L"scr"};

// Edits give at most 1021 bytes of text to the 1024-byte settings.
const int editReadCount = 1022;
// The size of OPENFILENAMEW with its trailing reserved fields and FlagsEx.
const DWORD openFileNameSize = 88;
static_assert(sizeof(OPENFILENAMEW) >= openFileNameSize, "OPENFILENAMEW too small");

// Only this dialog uses comctl32, comdlg32 and version.dll: each is loaded when
// the dialog first needs it (comctl32 here, version.dll as it opens, comdlg32
// when a chooser is asked for), so that run mode maps none of them.

// DialogBoxParamW creates the slider before the dialog procedure sees any
// message, so its class is registered here, just before the dialog. A failed
// registration (comctl32 missing) is left to the dialog's creation to report.
BOOL PrepareConfigDialog(HINSTANCE)
{
    auto InitCommonControlsEx =
        (decltype(&::InitCommonControlsEx))(void*)CommonControlsEntry("InitCommonControlsEx");
    if (!InitCommonControlsEx) return TRUE;
    INITCOMMONCONTROLSEX classes;
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_BAR_CLASSES;
    InitCommonControlsEx(&classes);
    return TRUE;
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
    if (!ProgramPathAnsi(name, MAX_PATH)) return;
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

static int ChooseBackgroundColor(HWND owner, unsigned* colour)
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
    wsprintfA(text, "%d%%", working.alpha);
    SetDlgItemTextA(dialog, IDC_ALPHA_VALUE, text);
}

static void OnInitDialog(HWND dialog)
{
    if (!LoadSettings(&working, unreadableFile, sizeof unreadableFile))
        PostMessageA(dialog, showUnreadableMessage, 0, 0);
    else
        unreadableFile[0] = '\0';
    ReadFileVersion();
    swatchBrush = CreateSolidBrush(working.bgcolor);
    SendDlgItemMessageA(dialog, IDC_ALPHA_SLIDER, TBM_SETRANGE, TRUE, MAKELONG(0, 100));
    SendDlgItemMessageA(dialog, IDC_ALPHA_SLIDER, TBM_SETPOS, TRUE, working.alpha);
    ShowAlpha(dialog);
    SetDlgItemTextA(dialog, IDC_EXEPATH, working.exepath);
    SetDlgItemTextA(dialog, IDC_PLAYLIST, working.playlist);
    SetDlgItemTextA(dialog, IDC_EXT_SCR_PATH, working.ext_scr_path);
    int modeButton = working.mode == simpleMode ? IDC_MODE_SIMPLE : IDC_MODE_EXTERNAL;
    SendDlgItemMessageA(dialog, modeButton, BM_SETCHECK, BST_CHECKED, 0);
    EnableModeControls(dialog, working.mode);
    char line[versionLineSize];
    FormatVersionLine(line, fileVersionParts, makerNotice);
    SetDlgItemTextA(dialog, IDC_ABOUT, line);
}

// The chooser's filter: its display text and pattern, each ended by a NUL,
// then the closing NUL.
static void LoadFilter(const Chooser& chooser, WCHAR* filter, int size)
{
    int used = LoadProgramText(chooser.filterNameId, filter, size - 2) + 1;
    used += LoadProgramText(chooser.filterPatternId, filter + used, size - used - 1);
    used++;
    filter[used] = L'\0';
}

// Opens the file dialog on the setting's current value; a usable chosen path
// lands in the setting and is copied into its edit.
static void BrowseForFile(HWND dialog, const Chooser& chooser, const WCHAR* initialDir)
{
    char* setting = working.*chooser.setting;
    WCHAR file[settingsTextSize];
    if (!MultiByteToWideChar(CP_ACP, 0, setting, -1, file, settingsTextSize))
        file[0] = L'\0';
    WCHAR title[256] = L"", filter[256] = L"";
    LoadProgramText(chooser.titleId, title, 256);
    LoadFilter(chooser, filter, 256);
    OPENFILENAMEW request;
    ZeroMemory(&request, sizeof request);
    request.lStructSize = openFileNameSize;
    request.hwndOwner = dialog;
    request.lpstrFilter = filter;
    request.lpstrFile = file;
    request.nMaxFile = settingsTextSize;
    request.lpstrInitialDir = initialDir;
    request.lpstrTitle = title;
    request.Flags = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    request.lpstrDefExt = chooser.extension;
    // Without comdlg32 it is as if the user had cancelled.
    auto GetOpenFileNameW = SYSTEM_ENTRY("comdlg32.dll", GetOpenFileNameW);
    if (!GetOpenFileNameW || !GetOpenFileNameW(&request)) return;
    if (!AnsiPathForm(file, setting, settingsTextSize)) {
        ShowJapaneseMessage(dialog, IDS_PATH_UNUSABLE, file, IDS_LAUNCHER_CAPTION,
                            MB_OK | MB_ICONERROR);
        return;
    }
    SetDlgItemTextA(dialog, chooser.editId, setting);
}

static void BrowseForExternalSaver(HWND dialog)
{
    WCHAR windowsDir[MAX_PATH] = L"";
    GetWindowsDirectoryW(windowsDir, MAX_PATH);
    WCHAR initialDir[MAX_PATH + 16];
    wsprintfW(initialDir, L"%s\\system32", windowsDir);
    BrowseForFile(dialog, externalSaverChooser, initialDir);
}

static void ChangeColour(HWND dialog)
{
    if (!ChooseBackgroundColor(dialog, &working.bgcolor)) return;
    DeleteObject(swatchBrush);
    swatchBrush = CreateSolidBrush(working.bgcolor);
    InvalidateRect(GetDlgItem(dialog, IDC_BGCOLOR_SWATCH), NULL, TRUE);
}

// A box about a settings file, which it names; the path is the system's
// own ANSI text.
static void ShowFileMessage(HWND dialog, UINT textId, const char* file)
{
    WCHAR widePath[settingsTextSize];
    if (!MultiByteToWideChar(CP_ACP, 0, file, -1, widePath, settingsTextSize))
        widePath[0] = L'\0';
    ShowJapaneseMessage(dialog, textId, widePath, IDS_LAUNCHER_CAPTION, MB_OK | MB_ICONERROR);
}

static void EndConfigDialog(HWND dialog, int result)
{
    DeleteObject(swatchBrush);
    swatchBrush = NULL;
    EndDialog(dialog, result);
}

// A path field's text as its setting: the code page's bytes where they hold
// the text (cut to the setting's size), else the form a picked path gets.
// 0, after the error box, when the text has no such form.
static int ReadPathField(HWND dialog, int id, char* setting)
{
    GetDlgItemTextA(dialog, id, setting, editReadCount);
    // The 95 family's ANSI dialog holds only what the code page can.
    if (!IsWindowUnicode(dialog)) return 1;
    WCHAR text[editReadCount];
    GetDlgItemTextW(dialog, id, text, editReadCount);
    if (AnsiHolds(text) || AnsiPathForm(text, setting, editReadCount)) return 1;
    ShowJapaneseMessage(dialog, IDS_PATH_UNUSABLE, text, IDS_LAUNCHER_CAPTION,
                        MB_OK | MB_ICONERROR);
    return 0;
}

// The paths as typed, in a copy of the working settings that OK commits
// only once every check has passed; a refused OK changes nothing.
static void OnOk(HWND dialog)
{
    Settings edited = working;
    if (!ReadPathField(dialog, IDC_PLAYLIST, edited.playlist) ||
        !ReadPathField(dialog, IDC_EXEPATH, edited.exepath) ||
        !ReadPathField(dialog, IDC_EXT_SCR_PATH, edited.ext_scr_path))
        return;
    // The saver must not start itself as its own external saver.
    if (strcmp(LastPathComponent(edited.ext_scr_path, AnsiLeadByte), selfName) == 0) {
        ShowJapaneseMessage(dialog, IDS_REFUSED_SELF, NULL, 0, MB_OK | MB_ICONERROR);
        return;
    }
    if (unreadableFile[0]) {
        ShowFileMessage(dialog, IDS_SETTINGS_UNREADABLE, unreadableFile);
        return;
    }
    working = edited;
    // A failed write would otherwise close the dialog as if all were saved.
    char file[settingsTextSize];
    if (!SaveSettings(&working, file, sizeof file)) {
        ShowFileMessage(dialog, IDS_SAVE_FAILED, file);
        return;
    }
    EndConfigDialog(dialog, 1);
}

static void SetMode(HWND dialog, int newMode)
{
    working.mode = newMode;
    EnableModeControls(dialog, newMode);
}

static BOOL OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK: OnOk(dialog); return TRUE;
    case IDCANCEL: EndConfigDialog(dialog, 0); return TRUE;
    case IDC_EXEPATH_BROWSE:
        BrowseForFile(dialog, accessoryChooser, NULL);
        return TRUE;
    case IDC_BGCOLOR_CHANGE: ChangeColour(dialog); return TRUE;
    case IDC_PLAYLIST_BROWSE:
        BrowseForFile(dialog, playlistChooser, NULL);
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
        MakeRoomForAccessKeys(dialog);
        NoteDialogDpi(dialog);
        // The focus starts on the first field in reading order, not on OK,
        // so that Enter saves nothing unread; Tab then goes on from there.
        SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDC_EXEPATH), TRUE);
        return FALSE;
    case WM_DPICHANGED:
        return RescaleDialog(dialog, HIWORD(wParam), (const RECT*)lParam);
    case WM_DESTROY:
        ReleaseDialogFont();
        return FALSE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_HSCROLL:
        working.alpha = (int)SendDlgItemMessageA(dialog, IDC_ALPHA_SLIDER, TBM_GETPOS, 0, 0);
        ShowAlpha(dialog);
        return TRUE;
    case showUnreadableMessage:
        // The box speaks of the dialog: it is shown first.
        ShowWindow(dialog, SW_SHOWNORMAL);
        ShowFileMessage(dialog, IDS_SETTINGS_UNREADABLE, unreadableFile);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if ((HWND)lParam != GetDlgItem(dialog, IDC_BGCOLOR_SWATCH)) return FALSE;
        SetBkColor((HDC)wParam, working.bgcolor);
        return (INT_PTR)swatchBrush;
    }
    return FALSE;
}
