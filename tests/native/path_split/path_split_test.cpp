#include <gtest/gtest.h>
#include <algorithm>
#include <string>

#include "launcher/common/path_components.h"
#include "launcher/common/path_split.h"
#include "tests/native/common/lead_bytes.h"

struct Split { std::string drive, dir, fname, ext; };

static Split SplitOf(const std::string& path, LeadByteTest isLead = Cp932Lead)
{
    PathParts p;
    SplitPath(path.c_str(), isLead, &p);
    return Split{p.drive, p.dir, p.fname, p.ext};
}

#define EXPECT_SPLIT(path, d, di, f, e)          \
    do {                                          \
        Split s_ = SplitOf(path);                 \
        EXPECT_EQ(d, s_.drive) << (path);         \
        EXPECT_EQ(di, s_.dir) << (path);          \
        EXPECT_EQ(f, s_.fname) << (path);         \
        EXPECT_EQ(e, s_.ext) << (path);           \
    } while (0)

TEST(SplitPath, DriveDirectoryNameExtension)
{
    EXPECT_SPLIT("C:\\Music\\list.m3u", "C:", "\\Music\\", "list", ".m3u");
    EXPECT_SPLIT("list.m3u", "", "", "list", ".m3u");
    EXPECT_SPLIT("D:song.mp3", "D:", "", "song", ".mp3");
    EXPECT_SPLIT("\\\\server\\share\\x.mp3", "", "\\\\server\\share\\", "x", ".mp3");
    EXPECT_SPLIT("/sub/song.mp3", "", "/sub/", "song", ".mp3");
    EXPECT_SPLIT("a/b\\c.d/e.f", "", "a/b\\c.d/", "e", ".f");
    EXPECT_SPLIT("", "", "", "", "");
    EXPECT_SPLIT("C", "", "", "C", "");
    EXPECT_SPLIT("C:", "C:", "", "", "");
    EXPECT_SPLIT("dir\\", "", "dir\\", "", "");
}

TEST(SplitPath, ExtensionIsFromTheLastDotOfTheLastComponent)
{
    EXPECT_SPLIT("D:\\my.music\\song", "D:", "\\my.music\\", "song", "");
    EXPECT_SPLIT("a.b.c", "", "", "a.b", ".c");
    EXPECT_SPLIT(".mp3", "", "", "", ".mp3");
    EXPECT_SPLIT("song.", "", "", "song", ".");
    // Line feed, carriage return and blanks after the dot belong to it.
    EXPECT_SPLIT("song.mp3 \t\r\n", "", "", "song", ".mp3 \t\r\n");
    EXPECT_SPLIT("#EXTINF:215,Mr. X - Title\n", "", "", "#EXTINF:215,Mr", ". X - Title\n");
    EXPECT_SPLIT("#EXTM3U\n", "", "", "#EXTM3U\n", "");
}

TEST(SplitPath, DoubleByteCharactersAreTakenWhole)
{
    // U+8868 is 0x95 0x5C in code page 932: its trail byte is a backslash.
    const std::string hyo = "\x95\x5c";
    EXPECT_SPLIT(hyo + ".mp3", "", "", hyo, ".mp3");
    EXPECT_SPLIT("C:\\" + hyo + "\\" + hyo + hyo + ".mp3", "C:", "\\" + hyo + "\\", hyo + hyo,
                 ".mp3");
    EXPECT_SPLIT("sub" + hyo + "x.mp3", "", "", "sub" + hyo + "x", ".mp3");
    // A trail byte never counts as '/' or '.' either.
    EXPECT_SPLIT("a\x81/b", "", "", "a\x81/b", "");
    EXPECT_SPLIT("a\x81.b", "", "", "a\x81.b", "");
    // A lead byte at the very end stands alone.
    EXPECT_SPLIT("x.mp3\x81", "", "", "x", ".mp3\x81");
    // Without a lead-byte rule the same bytes do split.
    Split plain = SplitOf(hyo + ".mp3", NULL);
    EXPECT_EQ("\x95\\", plain.dir);
    EXPECT_EQ("", plain.fname);
    EXPECT_EQ(".mp3", plain.ext);
}

TEST(SplitPath, PiecesAreCutTo255Bytes)
{
    std::string a300(300, 'a');
    Split s = SplitOf("C:" + a300 + "\\" + a300 + "." + a300);
    EXPECT_EQ("C:", s.drive);
    EXPECT_EQ(std::string(255, 'a'), s.dir);  // the separator is cut off too
    EXPECT_EQ(std::string(255, 'a'), s.fname);
    EXPECT_EQ("." + std::string(254, 'a'), s.ext);
    // The result says whether anything was cut.
    PathParts parts;
    EXPECT_EQ(0, SplitPath(("C:" + a300 + "\\x.mp3").c_str(), Cp932Lead, &parts));
    EXPECT_EQ(0, SplitPath(("x." + a300).c_str(), Cp932Lead, &parts));
    EXPECT_EQ(0, SplitPath((std::string(254, 'n') + "\x95\x5c.mp3").c_str(), Cp932Lead, &parts));
    EXPECT_EQ(1, SplitPath((std::string(253, 'n') + "\x95\x5c.mp3").c_str(), Cp932Lead, &parts));

    // Exactly 255 bytes stay whole.
    std::string a255(255, 'a');
    std::string whole = std::string(254, 'd') + "\\" + a255 + "." + std::string(254, 'e');
    EXPECT_EQ(1, SplitPath(whole.c_str(), Cp932Lead, &parts));
    s = SplitOf(whole);
    EXPECT_EQ(std::string(254, 'd') + "\\", s.dir);
    EXPECT_EQ(a255, s.fname);
    EXPECT_EQ("." + std::string(254, 'e'), s.ext);
}

TEST(SplitPath, CutDropsAHalvedDoubleByteCharacterWhole)
{
    const std::string hyo = "\x95\x5c";
    // 254 + 2 would be 256: the character goes whole, not just its trail.
    Split s = SplitOf(std::string(254, 'n') + hyo + "xyz.mp3");
    EXPECT_EQ(std::string(254, 'n'), s.fname);
    // 253 + 2 = 255 fits.
    s = SplitOf(std::string(253, 'n') + hyo + "xyz.mp3");
    EXPECT_EQ(std::string(253, 'n') + hyo, s.fname);
    // The same in the directory and the extension.
    s = SplitOf(std::string(254, 'd') + hyo + "\\x.mp3");
    EXPECT_EQ(std::string(254, 'd'), s.dir);
    s = SplitOf("x." + std::string(253, 'e') + hyo + "tail");
    EXPECT_EQ("." + std::string(253, 'e'), s.ext);
    // A run of double-byte characters: 127 of them (254 bytes) fit.
    std::string run;
    for (int i = 0; i < 200; i++) run += hyo;
    s = SplitOf(run + ".mp3");
    EXPECT_EQ(run.substr(0, 254), s.fname);
}

TEST(LastPathComponent, AfterTheLastSeparatorOrDrive)
{
    auto last = [](const char* p) { return std::string(LastPathComponent(p, Cp932Lead)); };
    EXPECT_EQ("velkaro_ss_launcher.scr", last("C:\\Savers\\velkaro_ss_launcher.scr"));
    EXPECT_EQ("velkaro_ss_launcher.scr", last("velkaro_ss_launcher.scr"));
    EXPECT_EQ("velkaro_ss_launcher.scr", last("D:velkaro_ss_launcher.scr"));
    EXPECT_EQ("x.scr", last("dir/sub\\x.scr"));
    EXPECT_EQ("x.scr", last("a\\b/x.scr"));
    EXPECT_EQ("x.scr", last("\\\\server\\share\\x.scr"));
    EXPECT_EQ("", last("C:\\dir\\"));
    EXPECT_EQ("", last("C:"));
    EXPECT_EQ("", last(""));
    EXPECT_EQ("x.scr.bak", last("C:\\x.scr.bak"));
}

TEST(LastPathComponent, TrailByteIsNoSeparator)
{
    const char* path = "C:\\\x95\x5c\\\x95\x5cvelkaro_ss_launcher.scr";
    EXPECT_STREQ("\x95\x5cvelkaro_ss_launcher.scr", LastPathComponent(path, Cp932Lead));
    // Without the code page's rule the trail byte would split it.
    EXPECT_STREQ("velkaro_ss_launcher.scr", LastPathComponent(path, NULL));
    // The result points into the text itself.
    const char* text = "a\\b";
    EXPECT_EQ(text + 2, LastPathComponent(text, Cp932Lead));
}

TEST(KeepLongComponents, OnlyWhatTheCodePageCannotHoldIsShortened)
{
    // The code page's stand-in holds ASCII only. Expected null: refused.
    CodePageHolds ascii = [](const wchar_t* t, int n) {
        return int(std::all_of(t, t + n, [](wchar_t c) { return c < 0x80; }));
    };
    const struct { const wchar_t *longPath, *shortPath, *expected; size_t size; } rows[] = {
        {L"C:\\My Music\\\u66f2\\x y.scr", L"C:\\MYMUSI~1\\7F2E~1\\XY~1.SCR",
         L"C:\\My Music\\7F2E~1\\x y.scr", 64},
        {L"d:/a b/\u66f2.m3u", L"D:\\AB~1\\7F2E~1.M3U", L"d:/a b/7F2E~1.M3U", 64},
        {L"C:\\\u66f2\\x", L"C:\\X~1", nullptr, 64},  // not the same components
        {L"C:\\\u66f2", L"C:\\7F2E~1", nullptr, 9}};     // one character too long
    for (const auto& row : rows) {
        wchar_t out[64] = L"";
        int ok = KeepLongComponents(row.longPath, row.shortPath, ascii, out, row.size);
        EXPECT_EQ(row.expected != nullptr, ok == 1) << row.shortPath;
        if (row.expected) EXPECT_STREQ(row.expected, out);
    }
}

TEST(PathWithoutDrive, OnlyADrivePathLosesItsDrive)
{
    // Expected null: no drive to take off.
    const struct { const char *path, *expected; } rows[] = {
        {"C:\\dir\\x.ini", "\\dir\\x.ini"}, {"z:\\", "\\"},
        {"C:\\\x95\x5c\\x.ini", "\\\x95\x5c\\x.ini"},  // a trail byte 0x5C stays
        {"C:x.ini", nullptr},                           // relative to the drive's folder
        {"C:", nullptr}, {"\\\\server\\share\\x.ini", nullptr}, {"\\\\?\\C:\\x.ini", nullptr},
        {"\\dir\\x.ini", nullptr}, {"dir\\x.ini", nullptr}, {"1:\\x.ini", nullptr},
        {"\x83\x41:\\x.ini", nullptr},                   // a double-byte character first
        {"", nullptr}};
    for (const auto& row : rows) {
        const char* rest = PathWithoutDrive(row.path);
        EXPECT_STREQ(row.expected, rest) << row.path;
        if (rest) EXPECT_EQ(row.path + 2, rest);  // into the text itself
    }
}
