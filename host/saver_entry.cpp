// Process entry: the argument text, the platform family, the mode.
#include "host/command_line.h"
#include "host/fault_guard.h"
#include "host/host_internal.h"
#include "resources/resource.h"

// Both set before any mode runs.
static HINSTANCE moduleInstance;
static const SaverApp* application;

static const char* NextAnsiChar(const char* p)
{
    return CharNextA(p);
}

HINSTANCE SaverInstance()
{
    return moduleInstance;
}

static HWND ParseWindowHandle(const char* text)
{
    return (HWND)(UINT_PTR)ParseHandleValue(text);
}

static HWND ForegroundIfNoWindow(HWND window)
{
    if (window == NULL || !IsWindow(window)) return GetForegroundWindow();
    return window;
}

static int StartPreview(const char* text)
{
    HWND parent = ParseWindowHandle(text);
    if (parent == NULL || !IsWindow(parent)) return -1;
    return RunSaverWindow(application, moduleInstance, parent);
}

struct DialogCall {
    HWND dialog;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

static LONG_PTR CallConfigDialogProc(void* context)
{
    DialogCall* call = (DialogCall*)context;
    return application->configDialogProc(call->dialog, call->message, call->wParam, call->lParam);
}

// The application's dialog procedure, under the fault guard like the saver
// window's procedure.
static INT_PTR CALLBACK GuardedConfigDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                                LPARAM lParam)
{
    DialogCall call = {dialog, message, wParam, lParam};
    return GuardedCall(CallConfigDialogProc, &call);
}

static int ShowConfigDialog(HWND parent)
{
    if (!application->prepareConfigDialog(moduleInstance)) return 0;
    // The wide entry hands the template's UTF-16 texts to the controls as
    // written; the ANSI one would pass them through the system's code page.
    // The 95 family has only the ANSI one (the wide one is a stub there).
    if (Is95Family())
        return (int)DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(IDD_CONFIG), parent,
                                    GuardedConfigDialogProc, 0);
    return (int)DialogBoxParamW(moduleInstance, MAKEINTRESOURCEW(IDD_CONFIG), parent,
                                GuardedConfigDialogProc, 0);
}

static int ChangePasswordMode(const char* text)
{
    ChangeSaverPassword(ForegroundIfNoWindow(ParseWindowHandle(text)));
    return 0;
}

static LONG_PTR RunMode(void* context)
{
    CommandScan scan = ScanCommand((const char*)context);
    switch (scan.mode) {
    case CommandConfigureAlone:
        return ShowConfigDialog(NULL);
    case CommandRun:
        return RunSaverWindow(application, moduleInstance, NULL);
    case CommandPreview:
        return StartPreview(scan.operand);
    case CommandConfigure: {
        HWND parent = scan.operand ? ParseWindowHandle(scan.operand) : NULL;
        return ShowConfigDialog(ForegroundIfNoWindow(parent));
    }
    case CommandChangePassword:
        return Is95Family() ? ChangePasswordMode(scan.operand) : -1;
    default:
        return -1;
    }
}

// Everything after the canaries' guard is seeded: a function of its own, so
// that no frame with a canary of the old guard is on the stack at the seeding.
__attribute__((noinline)) static int StartMode(const SaverApp* app)
{
    const char* args = SkipProgramName(GetCommandLineA(), NextAnsiChar);
    // WinMain's show command, computed as the C runtime does, is taken by no
    // window of ours: the saver window is full screen or the preview's child
    // whatever the caller asked for, as with the system's own savers.
    STARTUPINFOA startup;
    startup.dwFlags = 0;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    (void)show;
    moduleInstance = GetModuleHandleA(NULL);
    application = app;
    DetectPlatformFamily();
    return (int)GuardedCall(RunMode, (void*)args);
}

__attribute__((no_stack_protector)) void SaverMain(const SaverApp* app)
{
    // First of all: nothing has been loaded by name yet.
    RestrictLibrarySearch();
    SeedStackGuard();
    UINT code = (UINT)StartMode(app);
    // A thread of the application still inside a library (an open waiting
    // for a share) may hold a lock that the libraries' detach code needs:
    // ExitProcess could then hang, so the process ends without that code.
    if (GuardedThreadsRunning()) TerminateProcess(GetCurrentProcess(), code);
    // Straight to ExitProcess: static destructors and exit handlers never run.
    ExitProcess(code);
}
