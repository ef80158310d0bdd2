// The whole contract between the screen-saver host and the application that
// plugs into it. The application includes this header only.
#pragma once
#include <windows.h>

// Defined by the application.

// Second link of the saver window's message chain: sees every message the
// host forwards and ends by calling SaverDefaultProc for what it passes on.
LRESULT LauncherSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog procedure of the configuration dialog (template IDD_CONFIG).
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Called just before the configuration dialog is created, to register the
// window classes its template uses; 0 ends configure mode with exit code 0.
BOOL PrepareConfigDialog(HINSTANCE instance);

// Offered by the host.

// Last link of the chain: the closing rules, the password check and
// DefWindowProcA.
LRESULT SaverDefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Reserved by the host for the password check; the application passes it on
// untouched.
const UINT SaverVerifyMessage = WM_APP;
// The program's module, set before any mode runs.
extern HINSTANCE moduleInstance;
// A library of the system folder, by its full path; null when it is not there.
HMODULE LoadSystemLibrary(const char* name);
// Whether the saver window is a preview inside another window.
BOOL SaverInPreview();
