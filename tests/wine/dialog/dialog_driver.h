// Drives the configuration dialog of a real saver process from outside, as a
// user would: this program creates no window; it reads and sets control
// texts, clicks buttons and answers the saver's message boxes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "saver_folder.h"
#include "test_support.h"
#include "window_probe.h"

struct DialogSession {
    std::string dir;
    std::string scr;
    TestProcess process;
    HWND dialog = NULL;

    // A fresh folder with a copy of the saver and these settings lines beside
    // it (none: no settings file).
    bool Prepare(const std::string& name, const std::vector<std::string>& settings = {});
    // Starts "/c" and waits until the dialog of that process is shown and
    // takes messages.
    bool Open();
    bool Start(const std::string& name, const std::vector<std::string>& settings = {})
    {
        return Prepare(name, settings) && Open();
    }

    HWND Item(int id) { return GetDlgItem(dialog, id); }
    std::string Text(int id) { return WindowText(Item(id)); }
    void SetText(int id, const std::string& text);
    bool Enabled(int id) { return IsWindowEnabled(Item(id)) != 0; }
    int Checked(int id);
    int SliderPos();
    // A click that returns once the dialog has handled it, as the button's
    // own message sent to it.
    bool Click(int id);
    // The same click queued, for one that opens a modal window (a box, a
    // file dialog, the colour chooser) or ends the dialog before it answers.
    void ClickOpening(int id) { PostMessageA(Item(id), BM_CLICK, 0, 0); }
    void MoveSlider(int pos);

    // A window of class #32770 owned by the dialog (a message box, a file
    // dialog, the colour chooser), within timeoutMs.
    HWND WaitForOwnedDialog(DWORD timeoutMs);

    std::string SettingsPath() { return SettingsPathFor(scr); }
    std::string Setting(const char* key);
    ~DialogSession() { process.End(); }
};

std::string BoxText(HWND box);
// A text in code page 932's bytes, as the saver shows it on a Japanese system.
std::string Sjis(const wchar_t* text);
