// Drives the configuration dialog of a real saver process from outside, as a
// user would: this program creates no window; it reads and sets control
// texts, clicks buttons and answers the saver's message boxes.
#pragma once
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>

#include "resources/resource.h"
#include "saver_folder.h"
#include "saver_windows.h"
#include "test_process.h"
#include "window_probe.h"

// Sent to a window of the saver: its answer, 0 when it did not answer in time.
inline DWORD_PTR Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return result;
}

// A shown dialog of process pid: owned by owner, or, without one, the
// configuration dialog itself (the one with the slider).
inline HWND WaitForDialogOf(DWORD pid, HWND owner, DWORD timeoutMs)
{
    return WaitForTopLevel([&](HWND w) {
        return IsWindowOf(w, "#32770", pid) && IsWindowVisible(w) &&
               (owner ? GetWindow(w, GW_OWNER) == owner : GetDlgItem(w, IDC_ALPHA_SLIDER) != NULL);
    }, timeoutMs);
}

struct DialogSession {
    std::string scr;
    std::string before;  // the settings file as Prepare wrote it
    TestProcess process;
    HWND dialog = NULL;

    // A fresh folder with a copy of the saver and these settings (none: no file).
    bool Prepare(const std::string& name, const std::vector<std::string>& settings = {})
    {
        scr = PrepareSaverFolder(name).scr;
        bool written = settings.empty() || WriteSettingsFor(scr, settings);
        before = SettingsNow();
        return PathExists(scr) && written;
    }
    // Starts "/c"; true once its dialog is shown and takes messages.
    bool Open()
    {
        if (!StartSaver(&process, scr, "/c")) return false;
        dialog = WaitForDialogOf(process.id, NULL, 20000);
        return dialog && Answered(dialog);
    }
    bool Start(const std::string& name, const std::vector<std::string>& settings = {})
    {
        return Prepare(name, settings) && Open();
    }

    HWND Item(int id) { return GetDlgItem(dialog, id); }
    std::string Text(int id) { return WindowText(Item(id)); }
    void SetText(int id, const std::string& text)
    {
        Ask(Item(id), WM_SETTEXT, 0, (LPARAM)text.c_str());
    }
    bool Enabled(int id) { return IsWindowEnabled(Item(id)) != 0; }
    HWND Focus()  // the window with the keyboard focus in the dialog's thread
    {
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &gui);
        return gui.hwndFocus;
    }
    int Checked(int id) { return (int)Ask(Item(id), BM_GETCHECK); }
    int SliderPos() { return (int)Ask(Item(IDC_ALPHA_SLIDER), TBM_GETPOS); }
    // A click sent to the button: returns once the dialog has handled it.
    bool Click(int id)
    {
        return SendMessageTimeoutA(Item(id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, NULL) != 0;
    }
    // The same click posted, for one that opens a modal window or ends the dialog.
    void ClickOpening(int id) { PostMessageA(Item(id), BM_CLICK, 0, 0); }
    // What a drag does: the slider moves, then tells its parent.
    void MoveSlider(int pos)
    {
        HWND slider = Item(IDC_ALPHA_SLIDER);
        Ask(slider, TBM_SETPOS, TRUE, pos);
        Ask(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, pos), (LPARAM)slider);
        Ask(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), (LPARAM)slider);
    }
    // ClickOpening, then the #32770 window it opens (a box, a file dialog, the
    // colour chooser: owned by the dialog), or null.
    HWND Opened(int id, DWORD timeoutMs)
    {
        ClickOpening(id);
        return WaitForDialogOf(process.id, dialog, timeoutMs);
    }

    std::string SettingsPath() { return SettingsPathFor(scr); }
    std::string SettingsNow() { return ReadText(SettingsPath()); }
    std::string Setting(const char* key)
    {
        char value[4096] = "";
        GetPrivateProfileStringA("setting", key, "<none>", value, sizeof value,
                                 SettingsPath().c_str());
        return value;
    }
};

// The system's file chooser (the explorer-style one), driven as a user would:
// the number of entries its list shows, and a file name typed and opened.
inline HWND ChooserList(HWND chooser)
{
    return FindWindowExA(GetDlgItem(chooser, lst2), NULL, "SysListView32", NULL);
}
inline int ChooserListed(HWND chooser)
{
    return (int)Ask(ChooserList(chooser), LVM_GETITEMCOUNT);
}
// The name goes to the edit of the file-name combo box (cmb13), as typed.
inline void ChooserOpen(HWND chooser, const std::wstring& path)
{
    HWND combo = FindWindowExA(GetDlgItem(chooser, cmb13), NULL, "ComboBox", NULL);
    HWND edit = FindWindowExA(combo ? combo : GetDlgItem(chooser, cmb13), NULL, "Edit", NULL);
    SendMessageTimeoutW(edit ? edit : GetDlgItem(chooser, edt1), WM_SETTEXT, 0,
                        (LPARAM)path.c_str(), SMTO_ABORTIFHUNG, 5000, NULL);
    PostMessageA(chooser, WM_COMMAND, IDOK, 0);
}

inline std::string BoxText(HWND box) { return WindowText(GetDlgItem(box, boxTextId)); }

// A text in code page 932's bytes, as the saver shows it on a Japanese system.
inline std::string Sjis(const wchar_t* text)
{
    char bytes[512] = "";
    WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes, NULL, NULL);
    return bytes;
}
