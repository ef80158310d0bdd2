#include <gtest/gtest.h>
#include <string.h>

#include "launcher/settings/settings_values.h"

// Each pair: the number as read from the file, then the setting's value.
static void ExpectClamped(SettingIndex setting,
                          std::initializer_list<std::pair<unsigned, int>> rows)
{
    for (auto& row : rows) EXPECT_EQ(row.second, ClampSetting(setting, row.first)) << row.first;
}

TEST(SettingsValues, BgcolorAboveWhiteBecomesWhite)
{
    // 0xFFFFFFFF is -1 as read from the file.
    ExpectClamped(SettingBgcolor, {{0, 0}, {0x123456, 0x123456}, {0xFFFFFF, 0xFFFFFF},
                                   {0x1000000, 0xFFFFFF}, {0xFFFFFFFFu, 0xFFFFFF},
                                   {0x80000000u, 0xFFFFFF}});
}

TEST(SettingsValues, AlphaIsSignedZeroToHundred)
{
    ExpectClamped(SettingAlpha, {{0, 0}, {35, 35}, {100, 100}, {101, 100}, {150, 100},
                                 {(unsigned)-1, 0}, {(unsigned)-5, 0}, {0x80000000u, 0},
                                 {0x7FFFFFFF, 100}});
}

TEST(SettingsValues, ModeIsSignedZeroOrOne)
{
    ExpectClamped(SettingMode, {{0, 0}, {1, 1}, {2, 1}, {7, 1}, {(unsigned)-3, 0},
                                {0x80000000u, 0}});
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
