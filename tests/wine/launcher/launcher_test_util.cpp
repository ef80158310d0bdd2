#include "launcher_test_util.h"

#include <stdlib.h>
#include "test_support.h"

SaverSetup PrepareSaver(const std::string& name, bool withAccessory, const std::string& variant,
                        const std::string& scrName)
{
    SaverSetup s;
    s.dir = FullPath(MakeTestDir(name));
    CopyInto(SaverPath(), s.dir, scrName);
    s.scr = s.dir + "\\" + scrName;
    s.accessoryDir = s.dir + "\\Program Files\\Tools";
    s.accessory = s.accessoryDir + "\\velkarodin.exe";
    if (withAccessory) {
        CreateDirectoryA((s.dir + "\\Program Files").c_str(), NULL);
        CreateDirectoryA(s.accessoryDir.c_str(), NULL);
        CopyInto(BinFile("fake_accessory.exe"), s.accessoryDir, "velkarodin.exe");
        CopyInto(BinFile("trap_program.exe"), s.dir, "Program.exe");
        if (!variant.empty()) WriteFileBytes(s.accessoryDir + "\\accessory_variant.txt", variant);
    }
    return s;
}

void ParkCursor() { SetCursorPos(parkX, parkY); }

std::string LogValue(const std::string& log, const std::string& key)
{
    std::string text = ReadText(log);
    std::string needle = " " + key + " ";
    size_t at = text.find(needle);
    if (at == std::string::npos) return "";
    size_t begin = at + needle.size();
    size_t end = text.find('\n', begin);
    return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

int CountLines(const std::string& log, const std::string& needle)
{
    std::string text = ReadText(log);
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        count++;
    return count;
}

HANDLE OpenForWait(DWORD pid)
{
    return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
}

COLORREF ScreenPixel(int x, int y)
{
    HDC dc = GetDC(NULL);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(NULL, dc);
    return c;
}

struct ParentStart {
    int width, height;
    HWND window;
    HANDLE ready;
};

static LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

static DWORD WINAPI ParentThread(void* param)
{
    ParentStart* start = (ParentStart*)param;
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    wc.lpszClassName = "LauncherTestPreviewParent";
    RegisterClassA(&wc);
    RECT r = {0, 0, start->width, start->height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    start->window = CreateWindowExA(0, wc.lpszClassName, "preview parent",
                                    WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100,
                                    r.right - r.left, r.bottom - r.top, NULL, NULL, wc.hInstance, NULL);
    SetEvent(start->ready);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

bool ParentWindow::Create(int width, int height)
{
    ParentStart start = {width, height, NULL, CreateEventA(NULL, TRUE, FALSE, NULL)};
    thread = CreateThread(NULL, 0, ParentThread, &start, 0, NULL);
    WaitForSingleObject(start.ready, 10000);
    CloseHandle(start.ready);
    window = start.window;
    return window != NULL;
}

void ParentWindow::Destroy()
{
    if (window && IsWindow(window)) PostMessageA(window, WM_CLOSE, 0, 0);
    window = NULL;
    if (thread) {
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        thread = NULL;
    }
}

static const char desktopKey[] = "Control Panel\\Desktop";

PasswordOn::PasswordOn()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, desktopKey, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL))
        return;
    DWORD one = 1;
    RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, (const BYTE*)&one, 4);
    RegCloseKey(key);
}

PasswordOn::~PasswordOn()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, desktopKey, 0, KEY_WRITE, &key)) return;
    RegDeleteValueA(key, "ScreenSaveUsePassword");
    RegCloseKey(key);
}

void Key() { PressKey(VK_SPACE); }

AccessoryReaper::~AccessoryReaper()
{
    std::string pid = LogValue(log, "pid");
    if (pid.empty()) return;
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, strtoul(pid.c_str(), NULL, 10));
    if (!h) return;
    if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) {
        TerminateProcess(h, 98);
        WaitForSingleObject(h, 5000);
    }
    CloseHandle(h);
}
