// The screen-saver host: process-wide state and the functions that the
// launcher and the host's own files call across file boundaries.
#pragma once
#include <windows.h>

// Entry and dispatch.
extern HINSTANCE moduleInstance;
extern BOOL is95Family;

void SaverStartup();
int SaverDispatch(HINSTANCE instance, HINSTANCE previous, LPSTR args, int show);
HWND ParseWindowHandle(const char* text);
int StartPreview(const char* text);
int ShowConfigDialog(HWND parent);
int ChangePasswordMode(const char* text);
BOOL PrepareConfigDialog(HINSTANCE instance);

// Saver window and message loop.
typedef HIMC(WINAPI* ImmAssociateContextFn)(HWND, HIMC);
extern HWND saverWindow;
extern BOOL inPreview;
extern UINT autoPlayMessage;
extern HMODULE imeModule;
extern ImmAssociateContextFn associateContext;
extern HIMC savedImeContext;
extern POINT mouseReference;

int RunSaverWindow(HWND parent);
LRESULT CALLBACK SaverWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Default behaviour and password.
typedef BOOL(WINAPI* VerifyScreenSavePwdFn)(HWND);
const UINT SaverVerifyMessage = 0x8000;  // WM_APP, reserved by the host
const DWORD mouseMoveThreshold = 4;
extern BOOL isClosing;
extern BOOL inPasswordCheck;
extern HMODULE passwordModule;
extern VerifyScreenSavePwdFn passwordVerifier;
extern DWORD lastCheckTick;

LRESULT SaverDefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL ConfirmClose(HWND hwnd);
void LoadPasswordProvider();
void UnloadPasswordProvider();
void SetSaverRunning(BOOL on);
void ChangeSaverPassword(HWND owner);

// Supplied by the application (the launcher, or a test's stand-in).
LRESULT LauncherSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
