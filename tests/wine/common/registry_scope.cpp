#include "registry_scope.h"

#include <vector>

RegistryValueScope::RegistryValueScope(HKEY root, const char* key, const char* value)
    : root(root), key(key), value(value)
{
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return;
    DWORD size = 0;
    if (RegQueryValueExA(k, value, NULL, &savedType, NULL, &size) == ERROR_SUCCESS) {
        std::vector<char> data(size + 1);
        if (RegQueryValueExA(k, value, NULL, &savedType, (BYTE*)data.data(), &size) ==
            ERROR_SUCCESS) {
            hadValue = true;
            saved.assign(data.data(), size);
        }
    }
    RegCloseKey(k);
}

static bool WriteValue(const RegistryValueScope& s, DWORD type, const std::string& bytes)
{
    HKEY k;
    if (RegCreateKeyExA(s.root, s.key.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &k, NULL) !=
        ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(k, s.value.c_str(), 0, type, (const BYTE*)bytes.data(),
                             (DWORD)bytes.size()) == ERROR_SUCCESS;
    RegCloseKey(k);
    return ok;
}

bool RegistryValueScope::SetDword(DWORD v)
{
    return WriteValue(*this, REG_DWORD, std::string((const char*)&v, sizeof v));
}

bool RegistryValueScope::SetBinary(const std::string& bytes)
{
    return WriteValue(*this, REG_BINARY, bytes);
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
    if (hadValue)
        WriteValue(*this, savedType, saved);
    else
        Remove();
}
