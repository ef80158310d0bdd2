// A recording application for the screen-saver host: hostprobe.scr hands
// the host this saver and dialog procedure. It forwards like the
// launcher (all but WM_ACTIVATE and WM_NCACTIVATE reach SaverDefaultProc)
// and appends to the .log beside the program the "A", "D" and "S" lines
// that message_table.h reads, and:
//   "C <hex message> cursor=<0|1>"   after SaverDefaultProc: is a cursor set
//   "create ..." / "destroy ..."     host state, as the platform shows it
//   "dialog owner=<N>"               configure mode's owner window
//   "exit"                           the process ends through ExitProcess
// Words in the environment variable HOSTPROBE change what it does:
//   "afterclose"  at WM_DESTROY, send the window input and timer messages
//   "dialogcrash" the dialog procedure faults at WM_INITDIALOG
//   "failcreate"  WM_CREATE answers -1, so that window creation fails
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "host/saver_app.h"
#include "probe_messages.h"

const UINT_PTR probeTimer = 0x7E7E;  // sent to see whether timers still get here

// In probe_recorder.dll, which also writes "exit".
extern "C" __declspec(dllimport) void ProbeAppend(const char* line);

static bool Option(const char* word)
{
    char value[256] = "";
    GetEnvironmentVariableA("HOSTPROBE", value, sizeof value);
    return strstr(value, word) != NULL;
}

// Whether the window has an input-method context, through IMM32.DLL if the
// process has it: -1 when it has not.
static int HasImeContext(HWND hwnd)
{
    HMODULE imm = GetModuleHandleA("IMM32.DLL");
    if (!imm) return -1;
    auto get = (HIMC(WINAPI*)(HWND))(void*)GetProcAddress(imm, "ImmGetContext");
    auto release = (BOOL(WINAPI*)(HWND, HIMC))(void*)GetProcAddress(imm, "ImmReleaseContext");
    if (!get || !release) return -1;
    HIMC context = get(hwnd);
    if (context) release(hwnd, context);
    return context != NULL;
}

static void LogCreate(HWND hwnd)
{
    char line[512], name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    // Where the host takes AutoPlay's query it posts WM_CLOSE, taken back here.
    SaverDefaultProc(hwnd, RegisterWindowMessageA("QueryCancelAutoPlay"), 0, 0);
    MSG close;
    int autoPlay = PeekMessageA(&close, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE) ? 1 : 0;
    snprintf(line, sizeof line,
             "create family95=%d preview=%d autoplay=%d context=%d classstyle=%lu classicon=%d "
             "classcursor=%d blackbrush=%d class=%s provider=%d\n",
             (GetVersion() & 0x80000000) ? 1 : 0, SaverInPreview() ? 1 : 0, autoPlay,
             HasImeContext(hwnd), (unsigned long)GetClassLongA(hwnd, GCL_STYLE),
             GetClassLongA(hwnd, GCL_HICON) ? 1 : 0, GetClassLongA(hwnd, GCL_HCURSOR) ? 1 : 0,
             (HBRUSH)GetClassLongA(hwnd, GCL_HBRBACKGROUND) == GetStockObject(BLACK_BRUSH) ? 1 : 0,
             name, GetModuleHandleA("PASSWORD.CPL") ? 1 : 0);
    ProbeAppend(line);
}

static bool timerReached;

// Once the host has confirmed the close, find out which messages still get
// here: each "S" line is followed by the "A" line of the same message only
// if the host forwarded it.
static void SendAfterClose(HWND hwnd)
{
    static const UINT messages[] = {WM_TIMER,       WM_KEYDOWN,     WM_SYSKEYDOWN,  WM_MOUSEMOVE,
                                    WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_PAINT,
                                    WM_SETCURSOR,   WM_USER + 5};
    for (UINT m : messages) {
        char line[64];
        snprintf(line, sizeof line, "S %04X\n", m);
        ProbeAppend(line);
        SendMessageA(hwnd, m, m == WM_SETCURSOR ? (WPARAM)hwnd : 0,
                     m == WM_SETCURSOR ? MAKELPARAM(HTCLIENT, WM_RBUTTONDOWN) : 0);
    }
}

static LRESULT ProbeSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == probeTimer) return timerReached = true, 0;
    char line[128];
    snprintf(line, sizeof line, "A %04X %lu %ld\n", message, (unsigned long)wParam, (long)lParam);
    ProbeAppend(line);
    if (message == WM_CREATE) {
        LogCreate(hwnd);
        if (Option("failcreate")) return -1;
    }
    if (message == WM_DESTROY) {
        timerReached = false;  // a close the host has confirmed keeps timers from here
        SendMessageA(hwnd, WM_TIMER, probeTimer, 0);
        snprintf(line, sizeof line, "destroy context=%d closing=%d\n", HasImeContext(hwnd),
                 timerReached ? 0 : 1);
        ProbeAppend(line);
        if (Option("afterclose")) SendAfterClose(hwnd);
    }
    if (message == probeCrashMessage) *(volatile int*)0 = 1;
    if (message == probeRaiseMessage) RaiseException((DWORD)wParam, 0, 0, NULL);
    if (message == WM_ACTIVATE || message == WM_NCACTIVATE) return 0;
    LRESULT result = SaverDefaultProc(hwnd, message, wParam, lParam);
    snprintf(line, sizeof line, "D %04X %ld\nC %04X cursor=%d\n", message, (long)result, message,
             GetCursor() != NULL ? 1 : 0);
    ProbeAppend(line);
    return result;
}

static INT_PTR CALLBACK ProbeDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG) return FALSE;
    char line[64];
    snprintf(line, sizeof line, "dialog owner=%lu\n",
             (unsigned long)(UINT_PTR)GetWindow(dialog, GW_OWNER));
    ProbeAppend(line);
    if (Option("dialogcrash")) *(volatile int*)0 = 1;
    EndDialog(dialog, 7);
    return TRUE;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    static const SaverApp probe = {ProbeSaverProc, ProbeDialogProc,
                                   [](HINSTANCE) -> BOOL { return TRUE; }, NULL};
    SaverMain(&probe);
    return 0;
}
