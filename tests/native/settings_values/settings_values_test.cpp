#include <gtest/gtest.h>
#include <string.h>

#include "launcher/settings_values.h"

TEST(SettingsValues, BgcolorAboveWhiteBecomesWhite)
{
    EXPECT_EQ(0u, ClampBgcolor(0));
    EXPECT_EQ(0x123456u, ClampBgcolor(0x123456));
    EXPECT_EQ(0xFFFFFFu, ClampBgcolor(0xFFFFFF));
    EXPECT_EQ(0xFFFFFFu, ClampBgcolor(0x1000000));   // 16777216
    EXPECT_EQ(0xFFFFFFu, ClampBgcolor(0xFFFFFFFFu)); // -1 as read from the file
    EXPECT_EQ(0xFFFFFFu, ClampBgcolor(0x80000000u));
}

TEST(SettingsValues, AlphaIsSignedZeroToHundred)
{
    EXPECT_EQ(0, ClampAlpha(0));
    EXPECT_EQ(35, ClampAlpha(35));
    EXPECT_EQ(100, ClampAlpha(100));
    EXPECT_EQ(100, ClampAlpha(101));
    EXPECT_EQ(100, ClampAlpha(150));
    EXPECT_EQ(0, ClampAlpha(-1));
    EXPECT_EQ(0, ClampAlpha(-5));
    EXPECT_EQ(0, ClampAlpha((int)0x80000000u));
    EXPECT_EQ(100, ClampAlpha(0x7FFFFFFF));
}

TEST(SettingsValues, ModeIsSignedZeroOrOne)
{
    EXPECT_EQ(0, ClampMode(0));
    EXPECT_EQ(1, ClampMode(1));
    EXPECT_EQ(1, ClampMode(2));
    EXPECT_EQ(1, ClampMode(7));
    EXPECT_EQ(0, ClampMode(-3));
    EXPECT_EQ(0, ClampMode((int)0x80000000u));
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
    EXPECT_EQ("C:\\Savers\\velkaro_ss_launcher.ini",
              PathFor("C:\\Savers\\velkaro_ss_launcher.scr"));
    // No dot is looked for: exactly three characters go.
    EXPECT_EQ("C:\\Savers\\xini", PathFor("C:\\Savers\\x.sc"));
    EXPECT_EQ("xini", PathFor("x.sc"));
    EXPECT_EQ("C:\\a\\saver.ini", PathFor("C:\\a\\saver.exe"));
    EXPECT_EQ("C:\\a\\saini", PathFor("C:\\a\\saver"));
    EXPECT_EQ("ini", PathFor("scr"));
    // Double-byte name (CP932 "\x95\x5c" = U+8868): bytes, not characters.
    EXPECT_EQ("C:\\\x95\x5c.ini", PathFor("C:\\\x95\x5c.scr"));
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
