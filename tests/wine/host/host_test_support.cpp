#include "host_test_support.h"

#include <stdio.h>

namespace host_test {

std::string PrepareSaver(const std::string& dirName, const std::string& scrName)
{
    std::string dir = MakeTestDir(dirName);
    std::string scr = dir + "\\" + scrName;
    CopyInto(SaverPath(), dir, scrName);
    WriteSettingsFor(scr, {"exepath=" + scr, "mode=0", "playlist=", "ext_scr_path="});
    return scr;
}

std::string PrepareProbe(const std::string& dirName, const std::string& scrName)
{
    std::string dir = MakeTestDir(dirName);
    CopyInto(BinFile("hostprobe.scr"), dir, scrName);
    return dir + "\\" + scrName;
}

static HWND DialogOf(DWORD pid)
{
    return WaitForWindow("#32770", NULL, pid, 0);
}

DWORD RunConfigure(const std::string& scrPath, const std::string& commandLine, bool* dialogShown)
{
    if (dialogShown) *dialogShown = false;
    TestProcess p;
    if (!p.Start(scrPath, commandLine)) return 0xDEADBEEF;
    DWORD start = GetTickCount();
    DWORD code = 0xDEADBEEF;
    while (GetTickCount() - start < 20000) {
        if (p.Wait(50, &code)) return code;
        HWND dialog = DialogOf(p.id);
        if (dialog) {
            if (dialogShown) *dialogShown = true;
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            Sleep(200);
        }
    }
    return 0xDEADBEEF;
}

HWND HostSaverWindow(DWORD pid, DWORD timeoutMs)
{
    return WaitForWindow(kSaverClass, "Screen Saver", pid, timeoutMs);
}

DWORD CloseSaver(TestProcess* p, HWND window)
{
    DWORD code = 0xDEADBEEF;
    for (int i = 0; i < 100; ++i) {
        if (p->Wait(0, &code)) return code;
        HWND box = DialogOf(p->id);
        if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
        if (i % 10 == 0) PostMessageA(window, WM_CLOSE, 0, 0);
        if (p->Wait(100, &code)) return code;
    }
    return 0xDEADBEEF;
}

bool PreviewParent::Start(const std::string& dir, int width, int height)
{
    report = dir + "\\parent_report.txt";
    DeleteFileA(report.c_str());
    std::string exe = BinFile("preview_parent.exe");
    std::string cmd = "\"" + exe + "\" \"" + report + "\" " + Decimal((unsigned long long)width) +
                      " " + Decimal((unsigned long long)height);
    if (!process.Start(exe, cmd)) return false;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 15000) {
        for (const std::string& line : ReadLines(report)) {
            unsigned long value = 0;
            if (sscanf(line.c_str(), "window %lu", &value) == 1) {
                window = (HWND)(UINT_PTR)value;
                return IsWindow(window) != 0;
            }
        }
        Sleep(50);
    }
    return false;
}

std::vector<std::string> PreviewParent::ReportLines()
{
    return ReadLines(report);
}

std::vector<std::string> PreviewParent::Children()
{
    size_t before = ReportLines().size();
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window, WM_APP + 1, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    std::vector<std::string> lines = ReportLines();
    std::vector<std::string> children;
    for (size_t i = before; i < lines.size(); ++i)
        if (lines[i].compare(0, 6, "child ") == 0) children.push_back(lines[i]);
    return children;
}

void PreviewParent::Close()
{
    if (window && IsWindow(window)) PostMessageA(window, WM_CLOSE, 0, 0);
    process.Wait(10000);
    process.End();
}

static const char kDesktopKey[] = "Control Panel\\Desktop";
static const char kPasswordValue[] = "ScreenSaveUsePassword";

PasswordSetting::PasswordSetting()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    char data[256];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, kPasswordValue, NULL, &type, (BYTE*)data, &size) == ERROR_SUCCESS) {
        hadValue = true;
        saved.assign(data, size);
    }
    RegCloseKey(key);
}

static void WriteValue(DWORD type, const std::string& bytes)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, kPasswordValue, 0, type, (const BYTE*)bytes.data(), (DWORD)bytes.size());
    RegCloseKey(key);
}

void PasswordSetting::SetDword(DWORD value)
{
    WriteValue(REG_DWORD, std::string((const char*)&value, 4));
}

void PasswordSetting::SetBinary(const std::string& bytes)
{
    WriteValue(REG_BINARY, bytes);
}

void PasswordSetting::Remove()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, kPasswordValue);
    RegCloseKey(key);
}

PasswordSetting::~PasswordSetting()
{
    if (hadValue)
        WriteValue(type, saved);
    else
        Remove();
}

}  // namespace host_test
