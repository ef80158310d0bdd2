#include "dialog_driver.h"

#include <commctrl.h>

bool DialogSession::Prepare(const std::string& name, const std::vector<std::string>* settings)
{
    dir = MakeTestDir(name);
    char full[MAX_PATH];
    if (GetFullPathNameA(dir.c_str(), MAX_PATH, full, NULL)) dir = full;
    if (!CopyInto(SaverPath(), dir, "velkaro_ss_launcher.scr")) return false;
    scr = dir + "\\velkaro_ss_launcher.scr";
    return !settings || WriteSettingsFor(scr, *settings);
}

struct DialogQuery {
    DWORD pid;
    HWND owner;
    HWND found;
};

static BOOL CALLBACK MatchDialog(HWND w, LPARAM lp)
{
    DialogQuery* q = (DialogQuery*)lp;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != q->pid || !IsWindowVisible(w)) return TRUE;
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0) return TRUE;
    HWND owner = GetWindow(w, GW_OWNER);
    if (q->owner ? owner != q->owner : GetDlgItem(w, 1018) == NULL) return TRUE;
    q->found = w;
    return FALSE;
}

static HWND WaitForDialogOf(DWORD pid, HWND owner, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        DialogQuery q = {pid, owner, NULL};
        EnumWindows(MatchDialog, (LPARAM)&q);
        if (q.found) return q.found;
        if (GetTickCount() - start >= timeoutMs) return NULL;
        Sleep(20);
    }
}

bool DialogSession::Open()
{
    if (!StartSaver(&process, scr, "/c")) return false;
    dialog = WaitForDialogOf(process.id, NULL, 20000);
    if (!dialog) return false;
    // Let the dialog finish its first painting.
    for (int i = 0; i < 100 && !IsWindowVisible(Item(1007)); i++) Sleep(20);
    Sleep(200);
    return true;
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

void DialogSession::Click(int id)
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

COLORREF CentrePixel(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    HDC screen = GetDC(NULL);
    COLORREF c = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ReleaseDC(NULL, screen);
    return c;
}
