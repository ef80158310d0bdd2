#include "dialog_driver.h"

#include <commctrl.h>

bool DialogSession::Prepare(const std::string& name, const std::vector<std::string>* settings)
{
    SaverFolder f = PrepareSaverFolder(name);
    dir = f.dir;
    scr = f.scr;
    return PathExists(scr) && (!settings || WriteSettingsFor(scr, *settings));
}

// A shown dialog of process pid: owned by owner, or, without one, the
// configuration dialog itself (the one with the slider).
static HWND WaitForDialogOf(DWORD pid, HWND owner, DWORD timeoutMs)
{
    HWND found = NULL;
    WaitUntil([&] {
        found = FindTopLevel([&](HWND w) {
            DWORD wpid = 0;
            GetWindowThreadProcessId(w, &wpid);
            char cls[64] = "";
            GetClassNameA(w, cls, sizeof cls);
            return wpid == pid && IsWindowVisible(w) && lstrcmpA(cls, "#32770") == 0 &&
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

HWND DialogSession::Item(int id) { return GetDlgItem(dialog, id); }

std::string DialogSession::Text(int id) { return WindowText(Item(id)); }

void DialogSession::SetText(int id, const std::string& text)
{
    SendMessageTimeoutA(Item(id), WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_ABORTIFHUNG, 5000,
                        NULL);
}

bool DialogSession::Enabled(int id) { return IsWindowEnabled(Item(id)) != 0; }

int DialogSession::Checked(int id)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(Item(id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    return (int)result;
}

int DialogSession::SliderPos()
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(Item(1018), TBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    return (int)result;
}

bool DialogSession::Click(int id)
{
    DWORD_PTR result;
    return SendMessageTimeoutA(Item(id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
}

void DialogSession::ClickOpening(int id)
{
    PostMessageA(Item(id), BM_CLICK, 0, 0);
}

void DialogSession::MoveSlider(int pos)
{
    // What a drag does: the slider moves, then tells its parent.
    HWND slider = Item(1018);
    SendMessageTimeoutA(slider, TBM_SETPOS, TRUE, pos, SMTO_ABORTIFHUNG, 5000, NULL);
    SendMessageTimeoutA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, pos), (LPARAM)slider,
                        SMTO_ABORTIFHUNG, 5000, NULL);
    SendMessageTimeoutA(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), (LPARAM)slider,
                        SMTO_ABORTIFHUNG, 5000, NULL);
}

HWND DialogSession::WaitForOwnedDialog(DWORD timeoutMs)
{
    return WaitForDialogOf(process.id, dialog, timeoutMs);
}

bool DialogSession::WaitExit(DWORD timeoutMs, DWORD* code)
{
    return process.Wait(timeoutMs, code);
}

std::string DialogSession::Setting(const char* key)
{
    char value[4096] = "";
    GetPrivateProfileStringA("setting", key, "<none>", value, sizeof value,
                             SettingsPath().c_str());
    return value;
}

std::string BoxText(HWND box)
{
    return WindowText(GetDlgItem(box, 0xFFFF));
}
