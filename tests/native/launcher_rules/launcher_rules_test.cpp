#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <string>
#include "launcher/saver/launcher_rules.h"
#include "tests/native/common/lead_bytes.h"

// The opacity rule in exact integer arithmetic: the float nearest 0.01 is
// 10737418 / 2^30, and every product stays exact in a double.
static int ExpectedOpacity(int alpha)
{
    uint64_t scaled = (uint64_t)(100 - alpha) * 255u * 10737418u;
    int opacity = (int)(scaled >> 30);
    return opacity == 0 ? 1 : opacity;
}

TEST(Opacity, EveryAlphaFollowsTheFloatRule)
{
    for (int a = 0; a <= 100; a++) EXPECT_EQ(ExpectedOpacity(a), OpacityFromAlpha(a)) << "alpha " << a;
}

TEST(Opacity, KnownValues)
{
    const int table[][2] = {{0, 254}, {1, 252}, {20, 203}, {40, 152}, {50, 127},
                            {60, 101}, {80, 50}, {99, 2}, {100, 1}};
    for (auto& row : table) EXPECT_EQ(row[1], OpacityFromAlpha(row[0])) << "alpha " << row[0];
    // Six values differ from the plain integer rule, all others agree.
    int differing = 0;
    for (int a = 0; a <= 100; a++) differing += OpacityFromAlpha(a) != (100 - a) * 255 / 100;
    EXPECT_EQ(6, differing);
}

TEST(Opacity, OutOfRangeIsClamped)
{
    EXPECT_EQ(254, OpacityFromAlpha(-5));
    EXPECT_EQ(1, OpacityFromAlpha(150));
}

TEST(AccessoryName, LengthAndCase)
{
    // 16 bytes are the fewest taken: "\\velkarodin.exe" (15) is not.
    for (const char* taken : {"a\\velkarodin.exe", "C:\\Program Files\\Tools\\velkarodin.exe",
                              "xxvelkarodin.exe"})
        EXPECT_TRUE(IsAccessoryPath(taken)) << taken;
    for (const char* refused : {"\\velkarodin.exe", "velkarodin.exe", "C:\\X\\VELKARODIN.EXE",
                                "C:\\X\\Velkarodin.exe", "C:\\X\\velkarodin.exe ",
                                "C:\\X\\velkarodin.exe.bak", ""})
        EXPECT_FALSE(IsAccessoryPath(refused)) << refused;
}

TEST(PreviewTokens, WholeTokensOnly)
{
    // The count, then the command line; only blanks separate tokens.
    const std::pair<int, const char*> rows[] = {
        {1, "\"C:\\x.scr\" /p 1234"}, {1, "x.scr /P 1234"}, {0, "x.scr /p1234"},
        {0, "x.scr -p 1234"}, {0, "x.scr /p:123"}, {0, "x.scr /l 1234"}, {0, "x.scr /s"},
        {2, "x.scr   /p  /P   "}, {1, "/p"}, {0, ""}, {0, "    "}, {0, "x.scr\t/p"}};
    for (auto& row : rows) EXPECT_EQ(row.first, CountPreviewTokens(row.second)) << row.second;
}

static std::string WorkDir(const char* path, LeadByteTest lead = Cp932Lead)
{
    char out[accessoryDirSize + 8];
    memset(out, 'Z', sizeof out);
    AccessoryWorkDir(path, lead, out);
    return out;
}

TEST(AccessoryWorkDir, DriveAndDirectory)
{
    // The accessory's path, then its working folder.
    const std::pair<const char*, const char*> rows[] = {
        {"C:\\Tools\\Accessory\\velkarodin.exe", "C:\\Tools\\Accessory\\"},
        {"Tools\\velkarodin.exe", "Tools\\"}, {"C:/Tools/velkarodin.exe", "C:/Tools/\\"},
        {"xxvelkarodin.exe", ""}, {"D:velkarodin.exe", "D:"},
        {"\\\\server\\share\\velkarodin.exe", "\\\\server\\share\\"}};
    for (auto& row : rows) EXPECT_EQ(row.second, WorkDir(row.first));
}

TEST(AccessoryWorkDir, DoubleByteTrailIsNoSeparator)
{
    // 表 is 0x95 0x5C in code page 932.
    EXPECT_EQ("C:\\\x95\x5c\\", WorkDir("C:\\\x95\x5c\\velkarodin.exe"));
    EXPECT_EQ("C:\\", WorkDir("C:\\\x95\x5cvelkarodin.exe"));
    // Taken byte by byte the trail byte would split the name.
    EXPECT_EQ("C:\\\x95\x5c", WorkDir("C:\\\x95\x5cvelkarodin.exe", NoLead));
}

TEST(AccessoryWorkDir, LongDirectoryIsCutAndStillEndsInBackslash)
{
    // A 256-byte directory is cut to 255 bytes; the cut text ends in the
    // trail byte 0x5C of 表, which is no separator, so a backslash is added.
    std::string dir = "\\";
    for (int i = 0; i < 127; i++) dir += "\x95\x5c";
    dir += "\\";
    std::string path = "C:" + dir + "velkarodin.exe";
    std::string expected = "C:" + dir.substr(0, 255) + "\\";
    std::string got = WorkDir(path.c_str());
    EXPECT_EQ(expected.size(), got.size());
    EXPECT_EQ(expected, got);
    EXPECT_LT(got.size(), accessoryDirSize);
}

TEST(Grace, ThousandMillisecondsAndWrap)
{
    EXPECT_FALSE(GraceOver(5000, 5000));
    EXPECT_FALSE(GraceOver(6000, 5000));
    EXPECT_TRUE(GraceOver(6001, 5000));
    // The counter wraps between start and now.
    EXPECT_FALSE(GraceOver(100, 0xFFFFFF00u));    // 356 ms later
    EXPECT_TRUE(GraceOver(1000, 0xFFFFFF00u));    // 1256 ms later
    EXPECT_FALSE(GraceOver(0xFFFFFFFFu, 0xFFFFFC18u + 1));
    EXPECT_TRUE(GraceOver(0x00000000u, 0xFFFFFC17u));  // 1001 ms later
}

TEST(CommandLines, QuotedPaths)
{
    char out[64];
    ASSERT_TRUE(FormatAccessoryCommand("C:\\Program Files\\velkarodin.exe", out, sizeof out));
    EXPECT_STREQ("\"C:\\Program Files\\velkarodin.exe\"", out);
    ASSERT_TRUE(FormatExternalSaverCommand("C:\\My Savers\\x.scr", 123456, out, sizeof out));
    EXPECT_STREQ("\"C:\\My Savers\\x.scr\" /P 123456", out);
    ASSERT_TRUE(FormatExternalSaverCommand("a.scr", -5, out, sizeof out));
    EXPECT_STREQ("\"a.scr\" /P -5", out);
    ASSERT_TRUE(FormatExternalSaverCommand("a.scr", 0, out, sizeof out));
    EXPECT_STREQ("\"a.scr\" /P 0", out);
    ASSERT_TRUE(FormatExternalSaverCommand("a.scr", -2147483647L - 1, out, sizeof out));
    EXPECT_STREQ("\"a.scr\" /P -2147483648", out);
}

TEST(CommandLines, TooLongIsRefusedWithoutOverflow)
{
    char out[8];
    EXPECT_FALSE(FormatAccessoryCommand("abcdefgh", out, sizeof out));
    EXPECT_TRUE(FormatAccessoryCommand("abcde", out, sizeof out));  // 7 bytes + NUL
    EXPECT_STREQ("\"abcde\"", out);
    EXPECT_FALSE(FormatExternalSaverCommand("a", 12345, out, sizeof out));
    std::string big(1023, 'x');
    char large[1100];
    EXPECT_TRUE(FormatExternalSaverCommand(big.c_str(), -2147483647L - 1, large, sizeof large));
    EXPECT_EQ(1023u + 2 + 4 + 11, strlen(large));
}
