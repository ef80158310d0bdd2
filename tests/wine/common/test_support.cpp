#include "test_support.h"

#include <stdio.h>

std::string BinDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\'));
}

std::string BinFile(const std::string& name) { return BinDir() + "\\" + name; }

std::string SaverPath() { return BinFile("velkaro_ss_launcher.scr"); }

static void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

static bool MakeFolder(const std::string& dir)
{
    return CreateDirectoryA(dir.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Beside the test program; the system's temporary folder when that is not
// writable (a test package in a read-only place).
static std::string TestRoot()
{
    std::string root = BinDir() + "\\testdirs";
    if (MakeFolder(root)) return root;
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    root = std::string(temp, n) + "velkaro_testdirs";
    MakeFolder(root);
    return root;
}

std::string MakeTestDir(const std::string& name)
{
    std::string dir = FullPath(TestRoot() + "\\" + name);
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}

bool CopyInto(const std::string& source, const std::string& dir, const std::string& newName)
{
    return CopyFileA(source.c_str(), (dir + "\\" + newName).c_str(), FALSE) != 0;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool ReadFileBytes(const std::string& path, std::string* bytes)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes->clear();
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes->append(buf, n);
    fclose(f);
    return true;
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SettingsPathFor(const std::string& scrPath)
{
    return scrPath.substr(0, scrPath.size() - 3) + "ini";
}

bool WriteSettingsFor(const std::string& scrPath, const std::vector<std::string>& lines)
{
    std::string text = "[setting]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return WriteFileBytes(SettingsPathFor(scrPath), text);
}

bool TestProcess::Start(const std::string& application, const std::string& commandLine,
                        const std::string& workDir)
{
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(application.empty() ? NULL : application.c_str(), cmd.data(), NULL,
                        NULL, FALSE, 0, NULL, workDir.empty() ? NULL : workDir.c_str(), &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    process = pi.hProcess;
    id = pi.dwProcessId;
    return true;
}

bool TestProcess::Wait(DWORD timeoutMs, DWORD* exitCode)
{
    if (!process) return false;
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    if (exitCode) *exitCode = code;
    return true;
}

bool TestProcess::Running()
{
    return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

void TestProcess::End()
{
    if (!process) return;
    if (Running()) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
    process = NULL;
}

TestProcess::~TestProcess() { End(); }

bool StartSaver(TestProcess* p, const std::string& scrPath, const std::string& args)
{
    std::string cmd = "\"" + scrPath + "\"";
    if (!args.empty()) cmd += " " + args;
    return p->Start(scrPath, cmd);
}

DWORD RunSaver(const std::string& scrPath, const std::string& args, DWORD timeoutMs)
{
    TestProcess p;
    if (!StartSaver(&p, scrPath, args)) return 0xDEADBEEF;
    DWORD code = 0xDEADBEEF;
    if (!p.Wait(timeoutMs, &code)) code = 0xDEADBEEF;
    return code;
}

struct WindowQuery {
    const char* className;
    const char* title;
    DWORD pid;
    HWND found;
};

static BOOL CALLBACK MatchWindow(HWND w, LPARAM lp)
{
    WindowQuery* q = (WindowQuery*)lp;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (q->pid && pid != q->pid) return TRUE;
    char cls[256] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (q->className && lstrcmpA(cls, q->className) != 0) return TRUE;
    if (q->title && WindowText(w) != q->title) return TRUE;
    q->found = w;
    return FALSE;
}

struct MatchQuery {
    const std::function<bool(HWND)>* match;
    HWND found;
};

static BOOL CALLBACK MatchTopLevel(HWND w, LPARAM lp)
{
    MatchQuery* q = (MatchQuery*)lp;
    if (!(*q->match)(w)) return TRUE;
    q->found = w;
    return FALSE;
}

HWND FindTopLevel(const std::function<bool(HWND)>& match)
{
    MatchQuery q = {&match, NULL};
    EnumWindows(MatchTopLevel, (LPARAM)&q);
    return q.found;
}

HWND WaitForWindow(const char* className, const char* title, DWORD pid, DWORD timeoutMs)
{
    HWND found = NULL;
    WaitUntil([&] {
        WindowQuery q = {className, title, pid, NULL};
        EnumWindows(MatchWindow, (LPARAM)&q);
        found = q.found;
        return found != NULL;
    }, timeoutMs);
    return found;
}

HWND WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(window); }, timeoutMs) ? NULL : window;
}

HWND WaitForPreviewChild(HWND parent, HANDLE saverProcess, DWORD timeoutMs)
{
    HWND child = NULL;
    WaitUntil([&] {
        // Visible only once its creation is complete.
        child = FindWindowExA(parent, NULL, "WindowsScreenSaverClass", "Preview");
        if (child && !IsWindowVisible(child)) child = NULL;
        return child || WaitForSingleObject(saverProcess, 0) == WAIT_OBJECT_0;
    }, timeoutMs);
    return child;
}

std::string WindowText(HWND window)
{
    char text[4096] = "";
    // Through a message, so that the text of a window of another process is read.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000,
                        NULL);
    return text;
}

static BOOL CALLBACK FindStaticText(HWND w, LPARAM lp)
{
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && GetDlgCtrlID(w) == 0xFFFF) {
        std::string t = WindowText(w);
        if (!t.empty()) {
            *(std::string*)lp = t;
            return FALSE;
        }
    }
    return TRUE;
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs, std::string* text, std::string* caption)
{
    HWND box = WaitForWindow("#32770", NULL, pid, timeoutMs);
    if (box) {
        if (caption) *caption = WindowText(box);
        if (text) {
            text->clear();
            EnumChildWindows(box, FindStaticText, (LPARAM)text);
        }
    }
    return box;
}

void CloseMessageBox(HWND box)
{
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

static INPUT KeyInput(WORD virtualKey, DWORD flags)
{
    INPUT in;
    ZeroMemory(&in, sizeof in);
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = virtualKey;
    in.ki.dwFlags = flags;
    return in;
}

static INPUT MouseInput(DWORD flags, int dx = 0, int dy = 0)
{
    INPUT in;
    ZeroMemory(&in, sizeof in);
    in.type = INPUT_MOUSE;
    in.mi.dx = dx;
    in.mi.dy = dy;
    in.mi.dwFlags = flags;
    return in;
}

// Press and release in one call, so that nothing comes between them.
static void SendPair(INPUT press, INPUT release)
{
    INPUT in[2] = {press, release};
    SendInput(2, in, sizeof(INPUT));
}

void PressKey(WORD virtualKey)
{
    SendPair(KeyInput(virtualKey, 0), KeyInput(virtualKey, KEYEVENTF_KEYUP));
}

void MoveCursorTo(int x, int y) { SetCursorPos(x, y); }

void MoveCursorBy(int dx, int dy)
{
    INPUT in = MouseInput(MOUSEEVENTF_MOVE, dx, dy);
    SendInput(1, &in, sizeof(INPUT));
}

void ClickLeft() { SendPair(MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)); }

void Pause(DWORD ms)
{
    DWORD start = GetTickCount();
    for (DWORD spent = 0; spent < ms; spent = GetTickCount() - start) {
        if (MsgWaitForMultipleObjects(0, NULL, FALSE, ms - spent, QS_SENDMESSAGE) == WAIT_OBJECT_0) {
            MSG m;
            PeekMessageA(&m, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::string bytes = ReadText(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool WaitForLine(const std::string& path, const std::string& line, DWORD timeoutMs)
{
    return WaitUntil([&] { return Contains(ReadLines(path), line); }, timeoutMs);
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    for (const std::string& l : lines)
        if (l == line) return true;
    return false;
}

int CountPrefix(const std::vector<std::string>& lines, const std::string& prefix)
{
    int n = 0;
    for (const std::string& l : lines)
        if (l.compare(0, prefix.size(), prefix) == 0) ++n;
    return n;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

std::string Decimal(unsigned long long value)
{
    char text[32];
    snprintf(text, sizeof text, "%llu", value);
    return text;
}

std::string Decimal(HWND window)
{
    return Decimal((unsigned long long)(UINT_PTR)window);
}

// --- launcher tests ---

static void PutLE(std::string* s, DWORD value, int bytes)
{
    for (int i = 0; i < bytes; i++) s->push_back((char)((value >> (8 * i)) & 0xFF));
}

bool WriteToneWav(const std::string& path, DWORD milliseconds, int hertz)
{
    const DWORD rate = 22050;
    DWORD samples = rate * milliseconds / 1000;
    std::string wav = "RIFF";
    PutLE(&wav, 36 + samples * 2, 4);
    wav += "WAVEfmt ";
    PutLE(&wav, 16, 4);
    PutLE(&wav, 1, 2);  // PCM
    PutLE(&wav, 1, 2);  // mono
    PutLE(&wav, rate, 4);
    PutLE(&wav, rate * 2, 4);
    PutLE(&wav, 2, 2);
    PutLE(&wav, 16, 2);
    wav += "data";
    PutLE(&wav, samples * 2, 4);
    // A triangle wave is close enough to a tone and needs no maths library.
    DWORD period = rate / (DWORD)hertz;
    for (DWORD i = 0; i < samples; i++) {
        DWORD phase = i % period;
        long v = (long)(phase * 4 * 8000 / period);
        long sample = phase < period / 2 ? v - 8000 : 24000 - v;
        PutLE(&wav, (DWORD)(sample & 0xFFFF), 2);
    }
    return WriteFileBytes(path, wav);
}

std::string ReadText(const std::string& path)
{
    std::string text;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE |
                           FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
    if (f == INVALID_HANDLE_VALUE) return text;
    char buf[4096];
    DWORD n;
    while (ReadFile(f, buf, sizeof buf, &n, NULL) && n) text.append(buf, n);
    CloseHandle(f);
    return text;
}

bool WaitForText(const std::string& path, const std::string& needle, DWORD timeoutMs)
{
    return WaitUntil([&] { return ReadText(path).find(needle) != std::string::npos; }, timeoutMs);
}

HWND WaitForSaverWindow(DWORD pid, DWORD timeoutMs)
{
    // Visible only once its creation is complete.
    HWND window = NULL;
    WaitUntil([&] {
        window = WaitForWindow("WindowsScreenSaverClass", "Screen Saver", pid, 0);
        return window && IsWindowVisible(window);
    }, timeoutMs);
    return window && IsWindowVisible(window) ? window : NULL;
}

bool IsAbove(HWND a, HWND b)
{
    for (HWND w = GetWindow(a, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == b) return true;
    return false;
}

static void CollectDebugString(TracedProcess* t, const DEBUG_EVENT& ev)
{
    const OUTPUT_DEBUG_STRING_INFO& info = ev.u.DebugString;
    if (info.fUnicode) return;
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T got = 0;
    ReadProcessMemory(t->process, info.lpDebugStringData, &text[0], text.size(), &got);
    text.resize(got);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    EnterCriticalSection(&t->lock);
    t->traces.push_back(text);
    t->traceTicks.push_back(GetTickCount());
    LeaveCriticalSection(&t->lock);
}

static DWORD WINAPI DebugLoop(void* param)
{
    TracedProcess* t = (TracedProcess*)param;
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::vector<char> cmd(t->commandLine.begin(), t->commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(t->application.c_str(), cmd.data(), NULL, NULL, FALSE,
                        DEBUG_ONLY_THIS_PROCESS, NULL, NULL, &si, &pi)) {
        SetEvent(t->ready);
        return 1;
    }
    CloseHandle(pi.hThread);
    t->process = pi.hProcess;
    t->id = pi.dwProcessId;
    SetEvent(t->ready);
    for (;;) {
        DEBUG_EVENT ev;
        if (!WaitForDebugEvent(&ev, 30000)) {
            if (WaitForSingleObject(t->process, 0) == WAIT_OBJECT_0) break;
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (ev.dwDebugEventCode) {
        case OUTPUT_DEBUG_STRING_EVENT:
            CollectDebugString(t, ev);
            break;
        case EXCEPTION_DEBUG_EVENT:
            if (ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case CREATE_PROCESS_DEBUG_EVENT:
            if (ev.u.CreateProcessInfo.hFile) CloseHandle(ev.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (ev.u.LoadDll.hFile) CloseHandle(ev.u.LoadDll.hFile);
            break;
        }
        ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
        if (ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) break;
    }
    return 0;
}

bool TracedProcess::Start(const std::string& scrPath, const std::string& args)
{
    InitializeCriticalSection(&lock);
    application = scrPath;
    commandLine = "\"" + scrPath + "\"";
    if (!args.empty()) commandLine += " " + args;
    ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    loop = CreateThread(NULL, 0, DebugLoop, this, 0, NULL);
    WaitForSingleObject(ready, 20000);
    return process != NULL;
}

bool TracedProcess::Wait(DWORD timeoutMs, DWORD* exitCode)
{
    if (!process || WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    if (exitCode) *exitCode = code;
    return true;
}

bool TracedProcess::Running() { return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

void TracedProcess::End()
{
    if (process && Running()) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
    }
    if (loop) {
        WaitForSingleObject(loop, 10000);
        CloseHandle(loop);
        loop = NULL;
    }
}

std::vector<std::string> TracedProcess::Traces()
{
    EnterCriticalSection(&lock);
    std::vector<std::string> copy = traces;
    LeaveCriticalSection(&lock);
    return copy;
}

std::vector<DWORD> TracedProcess::TraceTicks()
{
    EnterCriticalSection(&lock);
    std::vector<DWORD> copy = traceTicks;
    LeaveCriticalSection(&lock);
    return copy;
}

TracedProcess::~TracedProcess()
{
    End();
    if (process) CloseHandle(process);
    if (ready) {
        CloseHandle(ready);
        DeleteCriticalSection(&lock);
    }
}

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, NULL);
    return n && n < sizeof full ? std::string(full, n) : path;
}
