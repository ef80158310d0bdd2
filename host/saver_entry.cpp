// Process entry: the argument text, the platform family, the mode.
#include "host/command_line.h"
#include "host/fault_guard.h"
#include "host/host_internal.h"
#include "resources/resource.h"

HINSTANCE moduleInstance;
BOOL is95Family;

static const char* NextAnsiChar(const char* p)
{
    return CharNextA(p);
}

// Everything after the canaries' guard is seeded: a function of its own, so
// that no frame with a canary of the old guard is on the stack at the seeding.
__attribute__((noinline)) static int StartMode()
{
    const char* args = SkipProgramName(GetCommandLineA(), NextAnsiChar);
    STARTUPINFOA startup;
    startup.dwFlags = 0;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    return SaverDispatch(GetModuleHandleA(NULL), NULL, (LPSTR)args, show);
}

__attribute__((no_stack_protector)) void SaverStartup()
{
    // First of all: nothing has been loaded by name yet.
    RestrictLibrarySearch();
    SeedStackGuard();
    // Straight to ExitProcess: static destructors and exit handlers never run.
    ExitProcess((UINT)StartMode());
}

static BOOL DetectFamily95()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;  // 148
    if (!GetVersionExA(&version)) return FALSE;
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

static HWND ForegroundIfNoWindow(HWND window)
{
    if (window == NULL || !IsWindow(window)) return GetForegroundWindow();
    return window;
}

static LONG_PTR RunMode(void* context)
{
    CommandScan scan = ScanCommand((const char*)context);
    switch (scan.mode) {
    case CommandConfigureAlone:
        return ShowConfigDialog(NULL);
    case CommandRun:
        return RunSaverWindow(NULL);
    case CommandPreview:
        return StartPreview(scan.operand);
    case CommandConfigure: {
        HWND parent = scan.operand ? ParseWindowHandle(scan.operand) : NULL;
        return ShowConfigDialog(ForegroundIfNoWindow(parent));
    }
    case CommandChangePassword:
        return is95Family ? ChangePasswordMode(scan.operand) : -1;
    default:
        return -1;
    }
}

int SaverDispatch(HINSTANCE instance, HINSTANCE, LPSTR args, int)
{
    moduleInstance = instance;
    is95Family = DetectFamily95();
    return (int)GuardedCall(RunMode, args);
}

HWND ParseWindowHandle(const char* text)
{
    return (HWND)(UINT_PTR)ParseHandleValue(text);
}

int StartPreview(const char* text)
{
    HWND parent = ParseWindowHandle(text);
    if (parent == NULL || !IsWindow(parent)) return -1;
    return RunSaverWindow(parent);
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
    return ConfigDialogProc(call->dialog, call->message, call->wParam, call->lParam);
}

// The application's dialog procedure, under the fault guard like the saver
// window's procedure.
static INT_PTR CALLBACK GuardedConfigDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                                LPARAM lParam)
{
    DialogCall call = {dialog, message, wParam, lParam};
    return GuardedCall(CallConfigDialogProc, &call);
}

int ShowConfigDialog(HWND parent)
{
    if (!PrepareConfigDialog(moduleInstance)) return 0;
    // The wide entry hands the template's UTF-16 texts to the controls as
    // written; the ANSI one would pass them through the system's code page.
    // The 95 family has only the ANSI one (the wide one is a stub there).
    if (is95Family)
        return (int)DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(IDD_CONFIG), parent,
                                    GuardedConfigDialogProc, 0);
    return (int)DialogBoxParamW(moduleInstance, MAKEINTRESOURCEW(IDD_CONFIG), parent,
                                GuardedConfigDialogProc, 0);
}

int ChangePasswordMode(const char* text)
{
    ChangeSaverPassword(ForegroundIfNoWindow(ParseWindowHandle(text)));
    return 0;
}
