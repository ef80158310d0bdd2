// Paths, test folders, files, settings files and text lines for the Wine tests.
#include "test_files.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <sstream>

#include "platform_checks.h"

std::string OwnProgramPath()
{
    char path[MAX_PATH];
    return std::string(path, GetModuleFileNameA(NULL, path, sizeof path));
}

std::string BinFile(const std::string& name)
{
    std::string own = OwnProgramPath();
    return own.substr(0, own.find_last_of('\\') + 1) + name;
}

std::wstring Wide(const std::string& ansi)
{
    wchar_t text[4096] = L"";
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, text, 4096);
    return text;
}

std::string Ansi(const std::wstring& wide)
{
    char bytes[4096] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, bytes, sizeof bytes, NULL, NULL);
    return bytes;
}

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
    std::wstring wide = Wide(dir);
    if (!wide.empty()) RemoveLongTree(L"\\\\?\\" + wide);
}

static bool MakeFolder(const std::string& dir)
{
    return CreateDirectoryA(dir.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// A test package may sit in a read-only place.
static std::string TestRoot()
{
    std::string root = BinFile("") + "testdirs";
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

static bool ReadFileBytes(const std::string& path, std::string* bytes)
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
    if (!RunsUnderWine() || !GetSystemDirectoryA(dir, MAX_PATH) || !CopyInto(source, dir, name))
        return false;
    path = std::string(dir) + "\\" + name;
    return true;
}

SystemFolderFile::~SystemFolderFile() { if (!path.empty()) DeleteFileA(path.c_str()); }

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SettingsPathFor(const std::string& s) { return s.substr(0, s.size() - 3) + "ini"; }

bool WriteSettingsFor(const std::string& scrPath, const std::vector<std::string>& lines)
{
    std::string text = "[setting]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return WriteFileBytes(SettingsPathFor(scrPath), text);
}

std::string EnvValue(const char* name)
{
    const char* value = getenv(name);
    return value ? value : "";
}

UserSettingsScope::UserSettingsScope()
{
    std::string appData = EnvValue("APPDATA");
    if (appData.empty()) return;
    folder = appData + "\\velkaro_ss_launcher";
    path = folder + "\\velkaro_ss_launcher.ini";
    had = ReadFileBytes(path, &saved);
    RemoveTree(folder);
}

UserSettingsScope::~UserSettingsScope()
{
    if (folder.empty()) return;
    RemoveTree(folder);
    if (had && CreateDirectoryA(folder.c_str(), NULL)) WriteFileBytes(path, saved);
}

bool UserSettingsScope::Block()
{
    return !folder.empty() && CreateDirectoryA(folder.c_str(), NULL) &&
           CreateDirectoryA(path.c_str(), NULL);
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

bool WaitForText(const std::string& path, const std::string& needle, DWORD timeoutMs)
{
    return WaitUntil([&] { return ReadText(path).find(needle) != std::string::npos; }, timeoutMs);
}

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, NULL);
    return n && n < sizeof full ? std::string(full, n) : path;
}
