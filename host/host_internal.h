// Host internals: the functions the host's files call across file
// boundaries. Only host files include this; the application sees
// host/saver_app.h alone. Each file keeps its own state; calls go one way:
// entry -> window -> default rules -> password provider -> system library,
// and the platform family is a leaf that any of them asks.
#pragma once
#include "host/saver_app.h"

// The platform family (platform_family.cpp), found once at dispatch.
void DetectPlatformFamily();
BOOL Is95Family();  // Windows 95, 98 and Me

// Library search (system_library.cpp).
void RestrictLibrarySearch();
// The stack canaries' guard from the system's random source (stack_guard.cpp).
void SeedStackGuard();

// Saver window and message loop (saver_window.cpp): the window of run mode
// (parent null) or of a preview inside parent; the loop's exit code.
int RunSaverWindow(const SaverApp* app, HINSTANCE instance, HWND parent);

// Closing rules (saver_default.cpp), which keep the window's preview and
// closing state.
void BeginSaverRules(BOOL preview);  // before the window is created
BOOL SaverClosing();                 // once the close is confirmed
void ResetMouseReference();          // mouse travel is measured from here

// Password provider (password_provider.cpp).
typedef BOOL(WINAPI* VerifyScreenSavePwdFn)(HWND);
VerifyScreenSavePwdFn PasswordVerifier();  // null unless loaded
void LoadPasswordProvider();
void UnloadPasswordProvider();
void SetSaverRunning(BOOL on);
void ChangeSaverPassword(HWND owner);
