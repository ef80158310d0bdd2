// Shared by the settings tests: this program's settings file and its probe argument.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "launcher/settings/settings.h"
#include "test_files.h"

// Argument that makes the program load, save and exit with 10 + the result.
const char settingsProbeArgument[] = "--load-and-save";

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

// Each case starts with no settings file and its settings in memory cleared.
class SettingsCase : public ::testing::Test {
protected:
    void SetUp() override { RemoveOwnSettings(); ClearSettings(); }
    void TearDown() override { RemoveOwnSettings(); }

    void SetSettings(COLORREF colour, int alphaValue, int modeValue, const std::string& exe,
                     const std::string& list, const std::string& scr)
    {
        current.bgcolor = colour;
        current.alpha = alphaValue;
        current.mode = modeValue;
        lstrcpyA(current.exepath, exe.c_str());
        lstrcpyA(current.playlist, list.c_str());
        lstrcpyA(current.ext_scr_path, scr.c_str());
    }
    void ClearSettings() { SetSettings(0x12345678, -77, 99, "junk", "junk", "junk"); }

    // The six settings in memory, compared at once.
    void ExpectSettings(COLORREF colour, int alphaValue, int modeValue, const std::string& exe,
                        const std::string& list, const std::string& scr)
    {
        EXPECT_EQ(std::make_tuple(colour, alphaValue, modeValue, exe, list, scr),
                  std::make_tuple((COLORREF)current.bgcolor, current.alpha, current.mode,
                                  std::string(current.exepath), std::string(current.playlist),
                                  std::string(current.ext_scr_path)));
    }

    Settings current;  // what the case loads and saves
};
