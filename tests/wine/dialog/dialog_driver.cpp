#include "dialog_driver.h"

#include <commctrl.h>

bool DialogSession::Prepare(const std::string& name, const std::vector<std::string>& settings)
{
    SaverFolder f = PrepareSaverFolder(name);
    dir = f.dir;
    scr = f.scr;
    return PathExists(scr) && (settings.empty() || WriteSettingsFor(scr, settings));
}

// A shown dialog of process pid: owned by owner, or, without one, the
// configuration dialog itself (the one with the slider).
static HWND WaitForDialogOf(DWORD pid, HWND owner, DWORD timeoutMs)
{
    HWND found = NULL;
    WaitUntil([&] {
        found = FindTopLevel([&](HWND w) {
            return IsWindowOf(w, "#32770", pid) && IsWindowVisible(w) &&
                   (owner ? GetWindow(w, GW_OWNER) == owner : GetDlgItem(w, 1018) != NULL);
        });
        return found != NULL;
    }, timeoutMs);
    return found;
}

bool DialogSession::Open()
{
    if (!StartSaver(&process, scr, "/c")) return false;
    dialog = WaitForDialogOf(process.id, NULL, 20000);
    return dialog && Answered(dialog);
}

// Sent to a window of the saver: its answer, 0 when it did not answer in time.
static DWORD_PTR Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return result;
}

void DialogSession::SetText(int id, const std::string& text)
{
    Ask(Item(id), WM_SETTEXT, 0, (LPARAM)text.c_str());
}

int DialogSession::Checked(int id) { return (int)Ask(Item(id), BM_GETCHECK); }

int DialogSession::SliderPos() { return (int)Ask(Item(1018), TBM_GETPOS); }

bool DialogSession::Click(int id)
{
    DWORD_PTR result;
    return SendMessageTimeoutA(Item(id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
}

void DialogSession::MoveSlider(int pos)
{
    // What a drag does: the slider moves, then tells its parent.
    HWND slider = Item(1018);
    Ask(slider, TBM_SETPOS, TRUE, pos);
    Ask(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, pos), (LPARAM)slider);
    Ask(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), (LPARAM)slider);
}

HWND DialogSession::WaitForOwnedDialog(DWORD timeoutMs)
{
    return WaitForDialogOf(process.id, dialog, timeoutMs);
}

std::string DialogSession::Setting(const char* key)
{
    char value[4096] = "";
    GetPrivateProfileStringA("setting", key, "<none>", value, sizeof value,
                             SettingsPath().c_str());
    return value;
}

std::string BoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

std::string Sjis(const wchar_t* text)
{
    char bytes[512] = "";
    WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes, NULL, NULL);
    return bytes;
}
