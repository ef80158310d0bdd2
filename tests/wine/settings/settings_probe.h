// Helpers shared by the settings tests: the settings file of this test
// program, and a copy of the program that loads and saves under another name.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "launcher/settings.h"
#include "test_support.h"

// Argument that makes the program load, save and exit with 10 + the result.
const char settingsProbeArgument[] = "--load-and-save";

inline std::string OwnProgramPath()
{
    char path[MAX_PATH];
    return std::string(path, GetModuleFileNameA(NULL, path, sizeof path));
}

inline std::string OwnSettingsPath() { return SettingsPathFor(OwnProgramPath()); }

// Removes the settings file (or a folder standing in its place).
inline void RemoveOwnSettings()
{
    std::string path = OwnSettingsPath();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
}

inline std::string ReadValue(const std::string& file, const char* key)
{
    char text[4096] = "";
    GetPrivateProfileStringA("setting", key, "<absent>", text, sizeof text, file.c_str());
    return text;
}

inline void ClearSettings()
{
    bgcolor = 0x12345678;
    alpha = -77;
    mode = 99;
    lstrcpyA(exepath, "junk");
    lstrcpyA(playlist, "junk");
    lstrcpyA(ext_scr_path, "junk");
}

// The six settings in memory, all at once.
inline void ExpectSettings(COLORREF colour, int alphaValue, int modeValue, const std::string& exe,
                           const std::string& list, const std::string& scr)
{
    EXPECT_EQ(colour, bgcolor);
    EXPECT_EQ(alphaValue, alpha);
    EXPECT_EQ(modeValue, mode);
    EXPECT_EQ(exe, exepath);
    EXPECT_EQ(list, playlist);
    EXPECT_EQ(scr, ext_scr_path);
}
