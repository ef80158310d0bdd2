// Settings texts in code page 932 (second bytes of 0x5C among them).
#include <gtest/gtest.h>

#include "platform_checks.h"
#include "settings_probe.h"

// C:\表示\velkarodin.exe: 表 is 0x95 0x5C, 示 is 0x8E 0xA6.
static const char japaneseExe[] = "C:\\\x95\x5c\x8e\xa6\\velkarodin.exe";
// D:\音楽\ソング.m3u: ソ is 0x83 0x5C.
static const char japaneseList[] = "D:\\\x89\xb9\x8a\x79\\\x83\x5c\x83\x93\x83\x4f.m3u";
// 予備\能.scr: 予 is 0x97 0x5C, 能 is 0x94 0x5C (trail byte at the end).
static const char japaneseScr[] = "\x97\x5c\x94\xf5\\\x94\x5c.scr";
static const std::vector<std::string> japaneseLines = {std::string("exepath=") + japaneseExe,
                                                       std::string("playlist=") + japaneseList,
                                                       std::string("ext_scr_path=") + japaneseScr};

class SettingsJapaneseTest : public SettingsCase {
protected:
    void SetUp() override { SKIP_UNLESS_CODE_PAGE_932(); SettingsCase::SetUp(); }
};

TEST_F(SettingsJapaneseTest, TextsLoadAsTheirBytes)
{
    ASSERT_TRUE(WriteSettingsFor(OwnProgramPath(), japaneseLines));
    LoadSettings(&current);
    ExpectSettings(0, 0, 0, japaneseExe, japaneseList, japaneseScr);
}

TEST_F(SettingsJapaneseTest, TextsRoundTripThroughTheFile)
{
    SetSettings(0xFFFFFF, 100, 1, japaneseExe, japaneseList, japaneseScr);
    ASSERT_EQ(1, SaveSettings(&current));

    std::string bytes = ReadText(OwnSettingsPath());
    for (const std::string& line : japaneseLines)
        EXPECT_NE(std::string::npos, bytes.find(line + "\r\n")) << line;

    ClearSettings();
    LoadSettings(&current);
    ExpectSettings(0xFFFFFF, 100, 1, japaneseExe, japaneseList, japaneseScr);

    // Loading and saving again changes nothing in the file.
    ASSERT_EQ(1, SaveSettings(&current));
    EXPECT_EQ(bytes, ReadText(OwnSettingsPath()));
}
