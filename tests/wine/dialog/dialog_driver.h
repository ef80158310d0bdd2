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

    // A fresh folder with a copy of the saver; settings lines, if any, are
    // written beside it (noSettings leaves the folder without a file).
    bool Prepare(const std::string& name, const std::vector<std::string>* settings);
    // Starts "/c" and waits until the dialog of that process is shown and
    // takes messages.
    bool Open();

    HWND Item(int id);
    std::string Text(int id);
    void SetText(int id, const std::string& text);
    bool Enabled(int id);
    int Checked(int id);
    int SliderPos();
    // A click that returns once the dialog has handled it, as the button's
    // own message sent to it.
    bool Click(int id);
    // The same click queued, for one that opens a modal window (a box, a
    // file dialog, the colour chooser) or ends the dialog before it answers.
    void ClickOpening(int id);
    void MoveSlider(int pos);

    // A window of class #32770 owned by the dialog (a message box, a file
    // dialog, the colour chooser), within timeoutMs.
    HWND WaitForOwnedDialog(DWORD timeoutMs);
    // Waits for the end of the saver process; true with its exit code.
    bool WaitExit(DWORD timeoutMs, DWORD* code);

    std::string SettingsPath() { return SettingsPathFor(scr); }
    std::string Setting(const char* key);
    ~DialogSession() { process.End(); }
};

std::string BoxText(HWND box);
