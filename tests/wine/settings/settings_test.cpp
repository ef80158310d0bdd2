// The settings store on real INI files through the platform's profile functions.
#include <gtest/gtest.h>

#include "settings_probe.h"
#include "test_process.h"

class SettingsTest : public SettingsCase {
protected:
    UserSettingsScope user;
    bool WriteIni(const std::string& body)
    {
        return WriteFileBytes(OwnSettingsPath(), "[setting]\r\n" + body);
    }
};

TEST_F(SettingsTest, NoFileGivesDefaults)
{
    ASSERT_FALSE(PathExists(OwnSettingsPath()));
    LoadSettings(&current);
    ExpectSettings(0, 0, 0, "", "", "");
    EXPECT_FALSE(PathExists(OwnSettingsPath()));  // loading creates nothing
}

TEST_F(SettingsTest, EmptySectionOrOtherSectionGivesDefaults)
{
    ASSERT_TRUE(WriteFileBytes(OwnSettingsPath(), "[other]\r\nalpha=50\r\nexepath=x\r\n"));
    LoadSettings(&current);
    ExpectSettings(0, 0, 0, "", "", "");
}

TEST_F(SettingsTest, ValuesInRangeAreTakenAsTheyAre)
{
    ASSERT_TRUE(WriteIni("bgcolor=16777215\r\nalpha=35\r\nmode=1\r\n"
                         "exepath=C:\\Tools\\velkarodin.exe\r\nplaylist=D:\\Music\\list.m3u\r\n"
                         "ext_scr_path=C:\\Windows\\system32\\other.scr\r\n"));
    LoadSettings(&current);
    ExpectSettings(0xFFFFFF, 35, 1, "C:\\Tools\\velkarodin.exe", "D:\\Music\\list.m3u",
                   "C:\\Windows\\system32\\other.scr");
}

TEST_F(SettingsTest, NumbersOutOfRangeAreClamped)
{
    struct Row { const char* body; COLORREF bgcolor; int alpha, mode; } rows[] = {
        {"bgcolor=-1\r\nalpha=150\r\nmode=7\r\n", 0xFFFFFF, 100, 1},
        {"bgcolor=16777216\r\nalpha=-5\r\nmode=-3\r\n", 0xFFFFFF, 0, 0},
        {"bgcolor=16777215\r\nalpha=100\r\nmode=1\r\n", 0xFFFFFF, 100, 1},
        {"bgcolor=255\r\nalpha=101\r\nmode=2\r\n", 0xFF, 100, 1},
        {"bgcolor=0\r\nalpha=-1\r\nmode=-1\r\n", 0, 0, 0},
    };
    for (const Row& row : rows) {
        RemoveOwnSettings();
        ASSERT_TRUE(WriteIni(row.body));
        ClearSettings();
        LoadSettings(&current);
        EXPECT_EQ(std::make_tuple(row.bgcolor, row.alpha, row.mode),
                  std::make_tuple((COLORREF)current.bgcolor, current.alpha, current.mode))
            << row.body;
    }
}

TEST_F(SettingsTest, TextsHoldUpTo1023Bytes)
{
    std::string exact(1023, 'e');
    std::string longer = std::string(1000, 'p') + std::string(500, 'q');
    ASSERT_TRUE(WriteIni("exepath=" + exact + "\r\nplaylist=" + longer + "\r\next_scr_path=" +
                         std::string(1024, 's') + "\r\n"));
    LoadSettings(&current);
    ExpectSettings(0, 0, 0, exact, longer.substr(0, 1023), std::string(1023, 's'));
}

TEST_F(SettingsTest, SavingAfterLoadingWritesClampedNumbersAndTextsUnchanged)
{
    ASSERT_TRUE(WriteIni("bgcolor=-1\r\nalpha=150\r\nmode=7\r\n"
                         "exepath=C:\\Tools\\velkarodin.exe\r\nplaylist=list.m3u\r\n"
                         "ext_scr_path=\\\\server\\share\\x y.scr\r\n"));
    LoadSettings(&current);
    ASSERT_EQ(1, SaveSettings(&current));
    std::string file = OwnSettingsPath();
    const char* const values[][2] = {
        {"bgcolor", "16777215"},  {"alpha", "100"},
        {"mode", "1"},            {"exepath", "C:\\Tools\\velkarodin.exe"},
        {"playlist", "list.m3u"}, {"ext_scr_path", "\\\\server\\share\\x y.scr"},
    };
    for (const auto& v : values) EXPECT_EQ(v[1], ReadValue(file, v[0])) << v[0];
    std::string bytes = ReadText(file);
    for (const char* line : {"bgcolor=16777215\r\n", "alpha=100\r\n", "mode=1\r\n"})
        EXPECT_NE(std::string::npos, bytes.find(line)) << line << bytes;
    EXPECT_EQ(std::string::npos, bytes.find("=-1")) << bytes;
}

TEST_F(SettingsTest, SaveCreatesTheFileWithAllSixKeys)
{
    SetSettings(0x00336699, 20, 0, "C:\\a\\velkarodin.exe", "", std::string(1023, 'z'));
    ASSERT_EQ(1, SaveSettings(&current));
    std::string bytes = ReadText(OwnSettingsPath());
    EXPECT_EQ(0u, bytes.find("[setting]\r\n")) << bytes;
    for (const std::string& line : std::vector<std::string>{
             "bgcolor=3368601", "alpha=20", "mode=0", "exepath=C:\\a\\velkarodin.exe",
             "playlist=", "ext_scr_path=" + std::string(1023, 'z')})
        EXPECT_NE(std::string::npos, bytes.find(line + "\r\n")) << line << bytes;

    // And it loads back the same.
    ClearSettings();
    LoadSettings(&current);
    ExpectSettings(0x00336699, 20, 0, "C:\\a\\velkarodin.exe", "", std::string(1023, 'z'));
}

TEST_F(SettingsTest, SaveReportsFailureWhenFoldersStandInPlaceOfBothFiles)
{
    ASSERT_TRUE(CreateDirectoryA(OwnSettingsPath().c_str(), NULL) && user.Block());
    current.alpha = 50;
    lstrcpyA(current.exepath, "x");
    EXPECT_EQ(0, SaveSettings(&current));
    // Loading from it gives the defaults.
    LoadSettings(&current);
    ExpectSettings(0, 0, 0, "", "", "");
}

TEST_F(SettingsTest, ProgramNamedWithTwoLetterExtensionUsesLastThreeCharacters)
{
    // A copy of this program named x.sc loads and saves xini, not x.ini.
    std::string dir = MakeTestDir("settings_xsc");
    ASSERT_TRUE(CopyInto(OwnProgramPath(), dir, "x.sc"));
    ASSERT_TRUE(WriteFileBytes(dir + "\\xini", "[setting]\r\nalpha=150\r\nexepath=here\r\n"));
    TestProcess probe;
    ASSERT_TRUE(probe.Start(dir + "\\x.sc", "x.sc " + std::string(settingsProbeArgument), dir));
    DWORD code = 0;
    ASSERT_TRUE(probe.Wait(20000, &code));
    EXPECT_EQ(11u, code);  // saved successfully
    EXPECT_EQ("100", ReadValue(dir + "\\xini", "alpha"));
    EXPECT_EQ("here", ReadValue(dir + "\\xini", "exepath"));
    EXPECT_EQ("0", ReadValue(dir + "\\xini", "mode"));
    EXPECT_FALSE(PathExists(dir + "\\x.ini"));
}
