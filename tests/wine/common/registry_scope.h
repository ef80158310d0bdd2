// A registry value changed for one test: what was there before (the value
// with its type, or its absence) is put back when the scope ends.
#pragma once
#include "platform_checks.h"  // RunsUnderWine

struct RegistryValueScope {
    RegistryValueScope(HKEY root, const char* key, const char* value);
    ~RegistryValueScope();
    bool SetDword(DWORD v) { return Write(REG_DWORD, std::string((const char*)&v, sizeof v)); }
    bool SetBinary(const std::string& bytes) { return Write(REG_BINARY, bytes); }
    bool SetString(const std::string& text) { return Write(REG_SZ, text + '\0'); }
    bool Remove();
private:
    bool Write(DWORD type, const std::string& bytes);
    HKEY root;
    std::string key, value;
    bool hadValue = false;
    DWORD savedType = 0;
    std::string saved;
};

// The system's screen-saver-running state as another process sees it: 1, 0,
// or -1 when it cannot be read.
int ScreenSaverRunning();

// HKCU\Control Panel\Desktop ScreenSaveUsePassword, which decides on the 95
// family whether the saver asks the password provider.
struct PasswordValueScope : RegistryValueScope {
    PasswordValueScope()
        : RegistryValueScope(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword") {}
};

// The DPI of the programs Wine starts while the scope lives (144: 150 %);
// Windows reads the value only at sign-in, so there it is left alone.
struct LogPixelsScope : RegistryValueScope {
    explicit LogPixelsScope(DWORD dpi = 144)
        : RegistryValueScope(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels")
    { if (RunsUnderWine()) SetDword(dpi); }
};
