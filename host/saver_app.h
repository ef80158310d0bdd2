// The whole contract between the screen-saver host and the application that
// plugs into it. The application includes this header only; the host calls
// the application only through the entry points it is handed.
#pragma once
#include <windows.h>

// The application's entry points, handed to SaverMain.
struct SaverApp {
    // Second link of the saver window's message chain: sees every message the
    // host forwards and ends by calling SaverDefaultProc for what it passes on.
    LRESULT (*saverProc)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Dialog procedure of the configuration dialog (template IDD_CONFIG).
    INT_PTR (CALLBACK* configDialogProc)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Called just before the configuration dialog is created, to register the
    // window classes its template uses; 0 ends configure mode with exit code 0.
    BOOL (*prepareConfigDialog)(HINSTANCE instance);
    // Called once in run and preview modes, just before the saver window is
    // created: the application reads what the window needs here. TRUE asks
    // for a DPI-unaware run-mode window, of the same awareness as the older
    // programs that draw inside it; a preview keeps the program's own. May
    // be null.
    BOOL (*prepareSaverWindow)();
};

// Offered by the host.

// The host's entry, called by the application's WinMain: runs the mode the
// command line asks for with the application's entry points and ends the
// process with its result.
void SaverMain(const SaverApp* app);
// Last link of the chain: the closing rules, the password check and
// DefWindowProcA.
LRESULT SaverDefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Reserved by the host for the password check; the application passes it on
// untouched.
const UINT SaverVerifyMessage = WM_APP;
// The program's module, set before any mode runs.
HINSTANCE SaverInstance();
// A library of the system folder, by its full path; null when it is not there.
HMODULE LoadSystemLibrary(const char* name);
// Whether the saver window is a preview inside another window.
BOOL SaverInPreview();
// Starts a thread whose body runs under the host's fault guard, as the
// window's procedure does; null when it could not start. The caller closes
// the handle. Should one still run when the mode is over, the process ends
// with TerminateProcess instead of ExitProcess.
typedef DWORD (*SaverThreadBody)(void* context);
HANDLE StartSaverThread(SaverThreadBody body, void* context);
