#include "test_support.h"

#include <stdio.h>

#include <algorithm>
#include <sstream>

#include "platform_checks.h"
#include "tests/fixtures/key_press.h"

std::string BinDir()
{
    char path[MAX_PATH];
    std::string s(path, GetModuleFileNameA(NULL, path, sizeof path));
    return s.substr(0, s.find_last_of('\\'));
}

std::string BinFile(const std::string& name) { return BinDir() + "\\" + name; }

std::string SaverPath() { return BinFile("velkaro_ss_launcher.scr"); }

// Through the "\\?\" form, which has no 260-character limit.
static void RemoveLongTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring full = dir + L"\\" + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (lstrcmpW(fd.cFileName, L".") && lstrcmpW(fd.cFileName, L".."))
                    RemoveLongTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

void RemoveTree(const std::string& dir)
{
    wchar_t wide[4096];
    int n = MultiByteToWideChar(CP_ACP, 0, dir.c_str(), -1, wide, 4096);
    if (n > 0) RemoveLongTree(L"\\\\?\\" + std::wstring(wide));
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
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (f == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char buf[4096];
    DWORD n;
    while (ReadFile(f, buf, sizeof buf, &n, NULL) && n) bytes->append(buf, n);
    CloseHandle(f);
    return true;
}

std::string ReadText(const std::string& path)
{
    std::string text;
    ReadFileBytes(path, &text);
    return text;
}

bool SystemFolderFile::Install(const std::string& source, const std::string& name)
{
    char dir[MAX_PATH] = "";
    if (!RunsUnderWine() || !GetSystemDirectoryA(dir, MAX_PATH)) return false;
    if (!CopyInto(source, dir, name)) return false;
    path = std::string(dir) + "\\" + name;
    return true;
}

SystemFolderFile::~SystemFolderFile()
{
    if (!path.empty()) DeleteFileA(path.c_str());
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
                        const std::string& workDir, DWORD flags)
{
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(application.empty() ? NULL : application.c_str(), cmd.data(), NULL,
                        NULL, inheritHandles, flags, NULL, workDir.empty() ? NULL : workDir.c_str(), &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    process = pi.hProcess;
    id = pi.dwProcessId;
    return true;
}

bool TestProcess::Wait(DWORD timeoutMs, DWORD* exitCode)
{
    if (!process || WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    if (exitCode) *exitCode = code;
    return true;
}

DWORD TestProcess::ExitCode(DWORD timeoutMs)
{
    DWORD code = 0xDEADBEEF;
    return Wait(timeoutMs, &code) ? code : 0xDEADBEEF;
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

std::string SaverCommand(const std::string& scrPath, const std::string& args)
{
    return "\"" + scrPath + "\"" + (args.empty() ? "" : " " + args);
}

bool StartSaver(TestProcess* p, const std::string& scrPath, const std::string& args)
{
    return p->Start(scrPath, SaverCommand(scrPath, args));
}

DWORD RunSaver(const std::string& scrPath, const std::string& args, DWORD timeoutMs)
{
    TestProcess p;
    return StartSaver(&p, scrPath, args) ? p.ExitCode(timeoutMs) : 0xDEADBEEF;
}

static BOOL CALLBACK MatchTopLevel(HWND w, LPARAM lp)
{
    std::pair<const std::function<bool(HWND)>*, HWND>* q =
        (std::pair<const std::function<bool(HWND)>*, HWND>*)lp;
    if (!(*q->first)(w)) return TRUE;
    q->second = w;
    return FALSE;
}

HWND FindTopLevel(const std::function<bool(HWND)>& match)
{
    std::pair<const std::function<bool(HWND)>*, HWND> q(&match, NULL);
    EnumWindows(MatchTopLevel, (LPARAM)&q);
    return q.second;
}

bool IsWindowOf(HWND window, const char* className, DWORD pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[256] = "";
    GetClassNameA(window, cls, sizeof cls);
    return (!pid || owner == pid) && (!className || lstrcmpA(cls, className) == 0);
}

HWND WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD timeoutMs)
{
    HWND found = NULL;
    WaitUntil([&] { return (found = FindTopLevel(match)) != NULL; }, timeoutMs);
    return found;
}

HWND WaitForWindow(const char* className, const char* title, DWORD pid, DWORD timeoutMs)
{
    return WaitForTopLevel([&](HWND w) {
        return IsWindowOf(w, className, pid) && (!title || WindowText(w) == title);
    }, timeoutMs);
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

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs, std::string* text, std::string* caption)
{
    HWND box = WaitForWindow("#32770", NULL, pid, timeoutMs);
    if (box && caption) *caption = WindowText(box);
    if (box && text) *text = WindowText(GetDlgItem(box, boxTextId));
    return box;
}

void CloseMessageBox(HWND box)
{
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

void PressKey(WORD key, WORD modifier) { SendKeyPress(key, modifier); }

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
    std::istringstream text(ReadText(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool WaitForLine(const std::string& path, const std::string& line, DWORD timeoutMs)
{
    return WaitUntil([&] { return Contains(ReadLines(path), line); }, timeoutMs);
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int CountPrefix(const std::vector<std::string>& lines, const std::string& prefix)
{
    return (int)std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.compare(0, prefix.size(), prefix) == 0;
    });
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

std::string Decimal(unsigned long long value) { return std::to_string(value); }

std::string Decimal(HWND window) { return std::to_string((UINT_PTR)window); }

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
    bool started = t->TestProcess::Start(t->scrPath, SaverCommand(t->scrPath, t->args), "",
                                         DEBUG_ONLY_THIS_PROCESS);
    SetEvent(t->ready);
    while (started) {
        DEBUG_EVENT ev;
        if (!WaitForDebugEvent(&ev, 30000)) {
            if (!t->Running()) break;
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

// The debugger is the thread that started the process: it starts it itself.
bool TracedProcess::Start(const std::string& scr, const std::string& arguments)
{
    InitializeCriticalSection(&lock);
    scrPath = scr;
    args = arguments;
    ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    loop = CreateThread(NULL, 0, DebugLoop, this, 0, NULL);
    WaitForSingleObject(ready, 20000);
    return process != NULL;
}

void TracedProcess::End()
{
    if (Running()) TerminateProcess(process, 99);
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
