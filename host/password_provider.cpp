// The 95 family's screen-saver password provider, the system's
// screen-saver-running state and the password change.
#include "host/host_internal.h"

// The provider while it is loaded (95 family, password wanted, run mode).
static HMODULE passwordModule;
static VerifyScreenSavePwdFn passwordVerifier;

typedef DWORD(WINAPI* PwdChangePasswordFn)(LPCSTR provider, HWND owner, DWORD flags,
                                           LPVOID reserved);

static BOOL PasswordWanted(HKEY key)
{
    // A value shorter than 4 bytes fills only its own bytes; the rest stay 0.
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, "ScreenSaveUsePassword", NULL, NULL, (BYTE*)&value, &size) !=
        ERROR_SUCCESS)
        return FALSE;
    return value != 0;
}

VerifyScreenSavePwdFn PasswordVerifier()
{
    return passwordVerifier;
}

void LoadPasswordProvider()
{
    if (!Is95Family()) return;
    if (passwordModule) UnloadPasswordProvider();
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS) return;
    if (PasswordWanted(key)) {
        passwordModule = LoadSystemLibrary("PASSWORD.CPL");
        if (passwordModule) {
            passwordVerifier = (VerifyScreenSavePwdFn)(void*)GetProcAddress(passwordModule,
                                                                           "VerifyScreenSavePwd");
            if (passwordVerifier)
                SetSaverRunning(TRUE);
            else
                UnloadPasswordProvider();
        }
    }
    RegCloseKey(key);
}

void UnloadPasswordProvider()
{
    if (!Is95Family() || passwordModule == NULL) return;
    FreeLibrary(passwordModule);
    passwordModule = NULL;
    if (passwordVerifier) {
        passwordVerifier = NULL;
        SetSaverRunning(FALSE);
    }
}

void SetSaverRunning(BOOL on)
{
    if (!Is95Family()) return;
    UINT previous = 0;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, on, &previous, 0);
}

void ChangeSaverPassword(HWND owner)
{
    HMODULE mpr = LoadSystemLibrary("MPR.DLL");
    if (mpr == NULL) return;
    PwdChangePasswordFn change =
        (PwdChangePasswordFn)(void*)GetProcAddress(mpr, "PwdChangePasswordA");
    if (change) change("SCRSAVE", owner, 0, 0);
    FreeLibrary(mpr);
}
