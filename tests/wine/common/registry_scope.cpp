// A registry value changed for one test and put back when it ends.
#include "registry_scope.h"

#include <stdlib.h>

RegistryValueScope::RegistryValueScope(HKEY root, const char* key, const char* value)
    : root(root), key(key), value(value)
{
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return;
    char data[4096];  // the values scoped are a number or a short text
    DWORD size = sizeof data;
    hadValue = RegQueryValueExA(k, value, NULL, &savedType, (BYTE*)data, &size) == ERROR_SUCCESS;
    if (hadValue) saved.assign(data, size);
    RegCloseKey(k);
}

bool RegistryValueScope::Write(DWORD type, const std::string& bytes)
{
    HKEY k;
    if (RegCreateKeyExA(root, key.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &k, NULL) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(k, value.c_str(), 0, type, (const BYTE*)bytes.data(),
                             (DWORD)bytes.size()) == ERROR_SUCCESS;
    RegCloseKey(k);
    return ok;
}

bool RegistryValueScope::Remove()
{
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_WRITE, &k) != ERROR_SUCCESS) return true;
    LONG status = RegDeleteValueA(k, value.c_str());
    RegCloseKey(k);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

RegistryValueScope::~RegistryValueScope()
{
    hadValue ? Write(savedType, saved) : Remove();
}

int ScreenSaverRunning()
{
    // Wine keeps the state in a volatile registry value and caches it per
    // process once read, so there it is read from the registry.
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER,
                      "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop", 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
        BOOL running = FALSE;
        return SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) ? running != 0 : -1;
    }
    char data[64] = "";
    DWORD size = sizeof data - 1, type = 0;
    LONG status = RegQueryValueExA(key, "WINE_ScreenSaverRunning", NULL, &type, (BYTE*)data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return -1;
    if (type == REG_DWORD) return *(DWORD*)data != 0;
    return atoi(data) != 0;
}
