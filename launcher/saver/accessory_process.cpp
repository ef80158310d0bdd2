#include "launcher/saver/accessory_process.h"

#include "launcher/common/file_probe.h"
#include "launcher/common/ansi_path.h"
#include "launcher/saver/launcher_rules.h"
#include "launcher/settings/settings_values.h"

// The accessory started by StartAccessory; empty when none was started.
static PROCESS_INFORMATION accessoryProcess;
// Its window that takes the exit command; found while closing, never cleared.
static HWND accessoryDialog;

static const char velkarodinExitTrace[] =  // velkarodin.exeにIDM_EXITを送信
    "velkarodin.exe\x82\xc9IDM_EXIT\x82\xf0\x91\x97\x90M\x0a";

void StartAccessory(const char* exepath)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    char workDir[accessoryDirSize];
    AccessoryWorkDir(exepath, AnsiLeadByte, workDir);
    // The path is also the application name, and quoted on the command line,
    // so that a path with blanks never starts a program named by its first word.
    // High priority, as the accessory has always run under the saver: it
    // stays quick to answer above a window that covers the whole screen.
    char command[settingsTextSize + 3];
    if (!FormatAccessoryCommand(exepath, command, sizeof command)) return;
    if (!CreateProcessA(exepath, command, NULL, NULL, FALSE,
                        CREATE_NEW_CONSOLE | HIGH_PRIORITY_CLASS, NULL,
                        workDir[0] ? workDir : NULL, &startup, &accessoryProcess))
        ZeroMemory(&accessoryProcess, sizeof accessoryProcess);
}

// How often a close looks for an accessory window that is not there yet.
static const DWORD accessoryWindowPoll = 20;  // ms

static DWORD Remaining(DWORD closeStart)
{
    DWORD spent = GetTickCount() - closeStart;
    return spent < accessoryWaitLimit ? accessoryWaitLimit - spent : 0;
}

static BOOL CALLBACK FindAccessoryDialog(HWND candidate, LPARAM)
{
    if (GetWindowLongA(candidate, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) {
        accessoryDialog = candidate;
        return FALSE;
    }
    return TRUE;
}

// Lets through what other threads send to this one; 0 once the accessory
// has ended or the close's time is up.
static int AwaitAccessory(DWORD closeStart, DWORD atMost)
{
    DWORD limit = Remaining(closeStart);
    if (limit == 0) return 0;
    if (limit > atMost) limit = atMost;
    DWORD woke =
        MsgWaitForMultipleObjects(1, &accessoryProcess.hProcess, FALSE, limit, QS_SENDMESSAGE);
    if (woke == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return woke != WAIT_OBJECT_0 && woke != WAIT_FAILED;
}

// A close early in the run can come before the accessory has made its
// window: it is waited for, so that the accessory is told to end instead
// of being waited out. Nothing announces a window of another process, so
// it is looked for again every few milliseconds.
static int FindAccessoryWindow(DWORD closeStart)
{
    for (;;) {
        EnumThreadWindows(accessoryProcess.dwThreadId, FindAccessoryDialog, 0);
        if (accessoryDialog) return 1;
        if (!AwaitAccessory(closeStart, accessoryWindowPoll)) return 0;
    }
}

void SendAccessoryExit(DWORD closeStart)
{
    if (!accessoryProcess.hProcess || !FindAccessoryWindow(closeStart)) return;
    OutputDebugStringA(velkarodinExitTrace);
    DWORD_PTR result;
    DWORD limit = Remaining(closeStart);
    if (limit > accessoryExitTimeout) limit = accessoryExitTimeout;
    SendMessageTimeoutA(accessoryDialog, WM_COMMAND, accessoryExitCommand, 0,
                        SMTO_ABORTIFHUNG | SMTO_NORMAL, limit, &result);
}

// Waits for the accessory's end, bounded; messages that other threads send
// to this thread are let through meanwhile (the accessory may broadcast
// while it ends), posted input stays queued.
void WaitForAccessory(DWORD closeStart)
{
    if (!accessoryProcess.hProcess) return;
    while (AwaitAccessory(closeStart, INFINITE)) continue;
}

void ReleaseAccessoryHandles()
{
    if (accessoryProcess.hThread) CloseHandle(accessoryProcess.hThread);
    if (accessoryProcess.hProcess) CloseHandle(accessoryProcess.hProcess);
    ZeroMemory(&accessoryProcess, sizeof accessoryProcess);
}

// Topmost (MB_SYSTEMMODAL is what gives a box WS_EX_TOPMOST), so that it
// shows above the full-screen topmost saver window instead of behind it.
static void ErrorBox(const char* text)
{
    MessageBoxA(NULL, text, "Error", MB_OK | MB_ICONINFORMATION | MB_TOPMOST | MB_SYSTEMMODAL);
}

static void ShowStartError(DWORD error)
{
    char* text = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_FROM_SYSTEM,
                   NULL, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0,
                   NULL);
    if (text) {
        ErrorBox(text);
        LocalFree(text);
        return;
    }
    // No system text for this code: show the code itself.
    char fallback[64];
    wsprintfA(fallback, "The screen saver could not be started (error %lu).", error);
    ErrorBox(fallback);
}

void StartExternalSaver(HWND hwnd, const char* ext_scr_path)
{
    if (!FileExists(ext_scr_path)) return;
    char command[settingsTextSize + 32];
    if (!FormatExternalSaverCommand(ext_scr_path, (long)(LONG_PTR)hwnd, command, sizeof command))
        return;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    // A third-party program: it inherits none of our handles.
    if (CreateProcessA(ext_scr_path, command, NULL, NULL, FALSE, CREATE_NEW_CONSOLE,
                       NULL, NULL, &startup, &started)) {
        // Never waited for or signalled: the handles are not kept.
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    } else {
        ShowStartError(GetLastError());
    }
    SetActiveWindow(hwnd);
}
