// Paths of the built programs, a folder per test, files, settings files and text lines.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "wait_until.h"

// A file in the running test program's folder, which is also where the saver
// and the fixtures are built (build/win/bin).
std::string BinFile(const std::string& name);
std::string OwnProgramPath();
std::string SaverPath();                         // the built .scr
// Full path with "." and ".." resolved.
std::string FullPath(const std::string& path);
// An environment variable's value, empty when it is not set.
std::string EnvValue(const char* name);
// Text in the system's ANSI code page as wide text, and back.
std::wstring Wide(const std::string& ansi);
std::string Ansi(const std::wstring& wide);

// A new empty folder for one test (full path), under "testdirs" beside the
// test program or, where that cannot be made, under the temporary folder.
std::string MakeTestDir(const std::string& name);
bool CopyInto(const std::string& source, const std::string& dir, const std::string& newName);
// A file put into the system folder for one test, removed with the scope.
// Only under Wine: a real Windows system folder is left alone (and Install
// returns false).
struct SystemFolderFile {
    bool Install(const std::string& source, const std::string& name);
    ~SystemFolderFile();
private:
    std::string path;  // empty until installed
};

bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Whole text of a file, empty when it cannot be read (also while it is
// written); read with every sharing mode, as another process may hold it open.
std::string ReadText(const std::string& path);
// Removes a folder tree, also one whose paths pass 260 characters.
void RemoveTree(const std::string& dir);
bool PathExists(const std::string& path);
// Writes the saver's settings file (section "setting") with the given lines,
// e.g. {"mode=1", "alpha=20"}; the path is the .scr's with "ini" at the end.
bool WriteSettingsFor(const std::string& scrPath, const std::vector<std::string>& lines);
std::string SettingsPathFor(const std::string& scrPath);
// The user's own settings file (%APPDATA%\velkaro_ss_launcher\velkaro_ss_launcher.ini),
// gone for one test and put back after. Block() puts a folder in its place.
// Without APPDATA both paths are empty and nothing is touched.
struct UserSettingsScope {
    UserSettingsScope();
    ~UserSettingsScope();
    bool Block();
    const std::string& Folder() const { return folder; }
    const std::string& Path() const { return path; }
private:
    std::string folder, path, saved;
    bool had = false;
};

// Lines of a text file without their CR LF (empty when it cannot be read).
std::vector<std::string> ReadLines(const std::string& path);
// Waits until the file has a line equal to line.
bool WaitForLine(const std::string& path, const std::string& line, DWORD timeoutMs);
// Waits until the file contains needle.
bool WaitForText(const std::string& path, const std::string& needle, DWORD timeoutMs);
bool Contains(const std::vector<std::string>& lines, const std::string& line);
int CountPrefix(const std::vector<std::string>& lines, const std::string& prefix);
// The lines, each ended by "\n": one text for a comparison that prints whole.
std::string Join(const std::vector<std::string>& lines);
std::string Decimal(unsigned long long value);
std::string Decimal(HWND window);
