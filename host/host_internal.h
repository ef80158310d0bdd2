// Host internals: the host's process-wide state and the functions its files
// call across file boundaries. Only host files (and the host's test probe)
// include this; the application sees host/saver_app.h alone.
#pragma once
#include "host/saver_app.h"

// Entry and dispatch.
extern BOOL is95Family;

void SaverStartup();
void RestrictLibrarySearch();
void SeedStackGuard();
int SaverDispatch(HINSTANCE instance, HINSTANCE previous, LPSTR args, int show);
HWND ParseWindowHandle(const char* text);
int StartPreview(const char* text);
int ShowConfigDialog(HWND parent);
int ChangePasswordMode(const char* text);

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
extern BOOL isClosing;
extern HMODULE passwordModule;
extern VerifyScreenSavePwdFn passwordVerifier;

BOOL ConfirmClose(HWND hwnd);
void LoadPasswordProvider();
void UnloadPasswordProvider();
void SetSaverRunning(BOOL on);
void ChangeSaverPassword(HWND owner);

