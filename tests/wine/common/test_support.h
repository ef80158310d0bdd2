// Support for the tests that run under Wine: paths of the built programs,
// private folders, processes started and ended by id, windows, input, files.
// The rest of the kit: saver_folder.h (a test folder with the saver),
// parent_window.h (a preview parent), registry_scope.h, message_table.h,
// dialog_driver.h (the configuration dialog driven from outside).
#pragma once
#include <windows.h>
#include <stdlib.h>
#include <functional>
#include <string>
#include <vector>

#include "launcher/saver/accessory_process.h"
#include "wait_until.h"

// A message box's text: its static control, whose id is the template's -1.
const int boxTextId = 0xFFFF;
// The stand-in accessory's log line for the saver's exit command.
const std::string accessoryExitLine = " command " + std::to_string(accessoryExitCommand);

// Folder of the running test program, which is also where the saver and the
// fixtures are built (build/win/bin), without a trailing backslash.
std::string BinDir();
std::string BinFile(const std::string& name);   // BinDir() + "\\" + name
std::string SaverPath();                         // the built .scr

// A new empty folder for one test (full path): under "testdirs" beside the
// test program, or under the system's temporary folder where that cannot be
// made.
std::string MakeTestDir(const std::string& name);
bool CopyInto(const std::string& source, const std::string& dir, const std::string& newName);
// A file put into the system folder for one test, removed with the scope.
// Only under Wine: a real Windows system folder is left alone (and Install
// returns false).
struct SystemFolderFile {
    std::string path;  // empty until installed
    bool Install(const std::string& source, const std::string& name);
    ~SystemFolderFile();
};

bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Read with every sharing mode, so that a file another process holds open
// can be read (false when it cannot be opened).
bool ReadFileBytes(const std::string& path, std::string* bytes);
// Removes a folder tree, also one whose paths pass 260 characters.
void RemoveTree(const std::string& dir);
bool PathExists(const std::string& path);
// Writes the saver's settings file (section "setting") with the given lines,
// e.g. {"mode=1", "alpha=20"}; the path is the .scr's with "ini" at the end.
bool WriteSettingsFor(const std::string& scrPath, const std::vector<std::string>& lines);
std::string SettingsPathFor(const std::string& scrPath);
// The user's own settings file (%APPDATA%\velkaro_ss_launcher\velkaro_ss_launcher.ini),
// gone for one test and put back after. Block() puts a folder in its place.
struct UserSettingsScope {
    std::string folder = std::string(getenv("APPDATA")) + "\\velkaro_ss_launcher";
    std::string path = folder + "\\velkaro_ss_launcher.ini", saved;
    bool had = ReadFileBytes(path, &saved);
    UserSettingsScope() { RemoveTree(folder); }
    ~UserSettingsScope()
    {
        RemoveTree(folder);
        if (had && CreateDirectoryA(folder.c_str(), NULL)) WriteFileBytes(path, saved);
    }
    bool Block() { return CreateDirectoryA(folder.c_str(), NULL) && CreateDirectoryA(path.c_str(), NULL); }
};

// Processes this test started. End() terminates only that process, by handle.
struct TestProcess {
    HANDLE process = NULL;
    DWORD id = 0;
    bool inheritHandles = false;  // the child gets this test's inheritable handles
    bool Start(const std::string& application, const std::string& commandLine,
               const std::string& workDir = "", DWORD flags = 0);
    // Waits at most timeoutMs; true and the exit code when it ended.
    bool Wait(DWORD timeoutMs, DWORD* exitCode = NULL);
    // The exit code, or 0xDEADBEEF when the process has not ended within timeoutMs.
    DWORD ExitCode(DWORD timeoutMs);
    bool Running();
    void End();
    ~TestProcess();
};

// The command line of a saver file: its quoted name, then the arguments.
std::string SaverCommand(const std::string& scrPath, const std::string& args);
bool StartSaver(TestProcess* p, const std::string& scrPath, const std::string& args);
// Runs it to its end (bounded); returns the exit code, or 0xDEADBEEF on time-out
// (the process is then ended).
DWORD RunSaver(const std::string& scrPath, const std::string& args, DWORD timeoutMs = 20000);

// A top-level window of the given class (and title, unless null) that belongs
// to process pid (any when 0); waits up to timeoutMs.
HWND WaitForWindow(const char* className, const char* title, DWORD pid, DWORD timeoutMs);
// Whether the window has the class (any when null) and belongs to process pid (any when 0).
bool IsWindowOf(HWND window, const char* className, DWORD pid);
// The first top-level window for which match() is true, or null.
HWND FindTopLevel(const std::function<bool(HWND)>& match);
// The same, waited for up to timeoutMs.
HWND WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD timeoutMs);
// The saver's preview child ("WindowsScreenSaverClass", "Preview") inside
// parent, once it is shown (its creation complete); null after timeoutMs, or
// as soon as saverProcess has ended.
HWND WaitForPreviewChild(HWND parent, HANDLE saverProcess, DWORD timeoutMs = 15000);
HWND WaitForWindowGone(HWND window, DWORD timeoutMs);  // null when gone
// A message box (dialog class #32770) of process pid; its text in *text.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs, std::string* text = NULL,
                       std::string* caption = NULL);
std::string WindowText(HWND window);
void CloseMessageBox(HWND box);  // presses its first button (IDOK)

// A key pressed and released as real hardware input in the foreground window,
// held with the modifier key if one is given (Alt: VK_MENU).
void PressKey(WORD virtualKey, WORD modifier = 0);

// A fixed wait that answers messages sent to this thread meanwhile. Only
// where nothing observable marks the moment: say why at the call.
void Pause(DWORD ms);

// Lines of a text file without their CR LF (empty when it cannot be read).
std::vector<std::string> ReadLines(const std::string& path);
// Waits until the file has a line equal to line.
bool WaitForLine(const std::string& path, const std::string& line, DWORD timeoutMs);
bool Contains(const std::vector<std::string>& lines, const std::string& line);
int CountPrefix(const std::vector<std::string>& lines, const std::string& prefix);
// The lines, each ended by "\n": one text for a comparison that prints whole.
std::string Join(const std::vector<std::string>& lines);
std::string Decimal(unsigned long long value);
std::string Decimal(HWND window);

// --- launcher tests ---
// A mono 16-bit PCM WAV file (22050 Hz) with a tone (triangle wave): its
// length first, then its pitch, e.g. WriteToneWav(path, 1200, 440).
bool WriteToneWav(const std::string& path, DWORD milliseconds, int hertz);
// Whole text of a file, empty when it cannot be read (also while it is written).
std::string ReadText(const std::string& path);
// Polls until the file contains needle; true when it did within timeoutMs.
bool WaitForText(const std::string& path, const std::string& needle, DWORD timeoutMs);
// The saver's top-level window ("WindowsScreenSaverClass", "Screen Saver") of
// pid, once it is shown (its creation complete).
HWND WaitForSaverWindow(DWORD pid, DWORD timeoutMs);
// Whether window a lies above window b in the z-order of top-level windows.
bool IsAbove(HWND a, HWND b);
// A saver started under this test as its debugger, so that every
// OutputDebugStringA text of it is collected (in order, bytes unchanged).
// End() also waits until the last trace is collected.
struct TracedProcess : TestProcess {
    bool Start(const std::string& scrPath, const std::string& args);
    void End();
    std::vector<std::string> Traces();
    // GetTickCount() when each trace arrived, taken while the saver still
    // waited in OutputDebugStringA: no later than anything the saver does
    // after that trace, no earlier than anything it did before it.
    std::vector<DWORD> TraceTicks();
    ~TracedProcess();
    // Used by the debugging thread.
    std::string scrPath, args;
    HANDLE loop = NULL, ready = NULL;
    CRITICAL_SECTION lock;
    std::vector<std::string> traces;
    std::vector<DWORD> traceTicks;
};
// Full path with "." and ".." resolved.
std::string FullPath(const std::string& path);
