#include <gtest/gtest.h>
#include <string.h>

#include "launcher/settings_values.h"

TEST(SettingsValues, BgcolorAboveWhiteBecomesWhite)
{
    EXPECT_EQ(0, ClampSetting(SettingBgcolor, 0));
    EXPECT_EQ(0x123456, ClampSetting(SettingBgcolor, 0x123456));
    EXPECT_EQ(0xFFFFFF, ClampSetting(SettingBgcolor, 0xFFFFFF));
    EXPECT_EQ(0xFFFFFF, ClampSetting(SettingBgcolor, 0x1000000));   // 16777216
    EXPECT_EQ(0xFFFFFF, ClampSetting(SettingBgcolor, 0xFFFFFFFFu)); // -1 as read from the file
    EXPECT_EQ(0xFFFFFF, ClampSetting(SettingBgcolor, 0x80000000u));
}

TEST(SettingsValues, AlphaIsSignedZeroToHundred)
{
    EXPECT_EQ(0, ClampSetting(SettingAlpha, 0));
    EXPECT_EQ(35, ClampSetting(SettingAlpha, 35));
    EXPECT_EQ(100, ClampSetting(SettingAlpha, 100));
    EXPECT_EQ(100, ClampSetting(SettingAlpha, 101));
    EXPECT_EQ(100, ClampSetting(SettingAlpha, 150));
    EXPECT_EQ(0, ClampSetting(SettingAlpha, -1));
    EXPECT_EQ(0, ClampSetting(SettingAlpha, -5));
    EXPECT_EQ(0, ClampSetting(SettingAlpha, 0x80000000u));
    EXPECT_EQ(100, ClampSetting(SettingAlpha, 0x7FFFFFFF));
}

TEST(SettingsValues, ModeIsSignedZeroOrOne)
{
    EXPECT_EQ(0, ClampSetting(SettingMode, 0));
    EXPECT_EQ(1, ClampSetting(SettingMode, 1));
    EXPECT_EQ(1, ClampSetting(SettingMode, 2));
    EXPECT_EQ(1, ClampSetting(SettingMode, 7));
    EXPECT_EQ(0, ClampSetting(SettingMode, -3));
    EXPECT_EQ(0, ClampSetting(SettingMode, 0x80000000u));
}

static std::string PathFor(const char* module)
{
    char buffer[1024];
    strcpy(buffer, module);
    EXPECT_EQ(1, SettingsPathFromModule(buffer));
    return buffer;
}

TEST(SettingsValues, LastThreeCharactersBecomeIni)
{
    // Program path, then settings path. No dot is looked for: exactly three
    // characters go. A double-byte name (CP932 "\x95\x5c" = U+8868) is bytes.
    const char* rows[][2] = {
        {"C:\\Savers\\velkaro_ss_launcher.scr", "C:\\Savers\\velkaro_ss_launcher.ini"},
        {"C:\\Savers\\x.sc", "C:\\Savers\\xini"}, {"x.sc", "xini"}, {"scr", "ini"},
        {"C:\\a\\saver.exe", "C:\\a\\saver.ini"}, {"C:\\a\\saver", "C:\\a\\saini"},
        {"C:\\\x95\x5c.scr", "C:\\\x95\x5c.ini"}};
    for (auto& row : rows) EXPECT_EQ(row[1], PathFor(row[0]));
}

TEST(SettingsValues, TooShortPathIsLeftAlone)
{
    char empty[4] = "";
    EXPECT_EQ(0, SettingsPathFromModule(empty));
    EXPECT_STREQ("", empty);
    char two[4] = "ab";
    EXPECT_EQ(0, SettingsPathFromModule(two));
    EXPECT_STREQ("ab", two);
}
