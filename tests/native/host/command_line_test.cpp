// Command-line scanning and handle parsing, under AddressSanitizer and UBSan.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/command_line.h"
#include "tests/native/common/lead_bytes.h"

namespace {

// A terminated heap copy, so that ASan sees any read past the end.
std::vector<char> Copy(const std::string& text)
{
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    return copy;
}

std::string Args(const std::string& commandLine, NextCharFn next = NextByte)
{
    return SkipProgramName(Copy(commandLine).data(), next);
}

struct ScanResult { CommandMode mode; bool hasOperand; std::string operand; };

ScanResult Scan(const std::string& args)
{
    std::vector<char> copy = Copy(args);
    CommandScan s = ScanCommand(copy.data());
    ScanResult r = {s.mode, s.operand != nullptr, s.operand ? s.operand : ""};
    return r;
}

unsigned int Handle(const std::string& text)
{
    return ParseHandleValue(Copy(text).data());
}

}  // namespace

TEST(ProgramName, PlainNameAndBlanks)
{
    // A tab counts as a blank.
    for (const char* line : {"saver.scr /s", "saver.scr \t  /s", "saver.scr\t/s"})
        EXPECT_EQ("/s", Args(line)) << line;
    EXPECT_EQ("/p 12 x", Args("saver.scr   /p 12 x"));
    EXPECT_EQ("", Args("saver.scr"));
    EXPECT_EQ("", Args(""));
}

TEST(ProgramName, ControlBytesAfterTheNameAreSkipped)
{
    EXPECT_EQ("/s", Args(std::string("a.scr\x01\x1f /s")));
}

TEST(ProgramName, HighBytesBelongToTheName)
{
    EXPECT_EQ("/s", Args("\x83\x5c\xe9.scr /s"));
}

TEST(ProgramName, QuotedNameWithBlanks)
{
    EXPECT_EQ("/s", Args("\"C:\\My Savers\\a b.scr\" /s"));
    EXPECT_EQ("/s", Args("\"C:\\My Savers\\a b.scr\"/s"));
    EXPECT_EQ("", Args("\"\""));
    EXPECT_EQ("/c", Args("\"\" /c"));
}

TEST(ProgramName, UnclosedQuoteTakesTheWholeLine)
{
    EXPECT_EQ("", Args("\"C:\\a b.scr /s"));
    EXPECT_EQ("", Args("\""));
}

TEST(ProgramName, DoubleByteCharacterWithQuoteAsSecondByteIsWhole)
{
    // 0x81 0x22 is not a valid pair in code page 932, but a lead byte always
    // takes its trail: the quote inside it does not end the name.
    EXPECT_EQ("/s", Args("\"\x81\x22x.scr\" /s", NextDoubleByte));
    EXPECT_EQ("/s", Args("\"\x83\x5c.scr\" /s", NextDoubleByte));
    // A lead byte right before the end does not step past it.
    EXPECT_EQ("", Args("\"abc\x81", NextDoubleByte));
    EXPECT_EQ("", Args("abc\x81", NextDoubleByte));
}

TEST(ModeScan, EmptyOrOnlySeparatorsIsConfigureAlone)
{
    for (const char* a : {"", " ", "/", "-", " -/ /--"}) {
        ScanResult r = Scan(a);
        EXPECT_EQ(CommandConfigureAlone, r.mode) << a;
        EXPECT_FALSE(r.hasOperand) << a;
    }
}

TEST(ModeScan, RunLetterInAnyCaseAndAnyPrefix)
{
    for (const char* a : {"s", "S", "/s", "-S", "/-/ s", "/sfoo", "s 123"})
        EXPECT_EQ(CommandRun, Scan(a).mode) << a;
}

TEST(ModeScan, PreviewLettersTakeTheTextAfterBlanks)
{
    // The arguments, then the operand; only ' ' is skipped.
    for (auto row : {std::make_pair("/p   1234 extra", "1234 extra"), {"/P99", "99"}, {"-l 7", "7"},
                     {"L", ""}, {"/p", ""}, {"/p:5", ":5"}, {"/p\t5", "\t5"}}) {
        EXPECT_EQ(CommandPreview, Scan(row.first).mode) << row.first;
        EXPECT_EQ(row.second, Scan(row.first).operand) << row.first;
    }
}

TEST(ModeScan, ConfigureHandleOnlyAfterColon)
{
    ScanResult r = Scan("/c:4660");
    EXPECT_EQ(CommandConfigure, r.mode);
    EXPECT_EQ("4660", r.operand);
    EXPECT_FALSE(Scan("/c 4660").hasOperand);
    EXPECT_FALSE(Scan("C").hasOperand);
    EXPECT_EQ("", Scan("/C:").operand);
    EXPECT_FALSE(Scan("/c :1").hasOperand);
}

TEST(ModeScan, ChangePasswordTakesTheTextAfterBlanks)
{
    ScanResult r = Scan("/a  55");
    EXPECT_EQ(CommandChangePassword, r.mode);
    EXPECT_EQ("55", r.operand);
    EXPECT_EQ(CommandChangePassword, Scan("-A").mode);
}

TEST(ModeScan, EverythingElseNamesNoMode)
{
    for (const char* a : {"x", "/x", "1", "/1", "/\ts", "\ts", "/?", "\x01s", "\x80s",
                          "\xffs", "/\x82\xa0", "+s", ":s", "_p 1"}) {
        ScanResult r = Scan(a);
        EXPECT_EQ(CommandNone, r.mode) << a;
        EXPECT_FALSE(r.hasOperand);
    }
}

TEST(HandleValue, DecimalDigitsUntilTheFirstOtherByte)
{
    for (const char* none : {"", " 12", "-12", "+12", ":12", "0x1f"})
        EXPECT_EQ(0u, Handle(none)) << none;
    EXPECT_EQ(12u, Handle("12 34"));
    EXPECT_EQ(12u, Handle("12:34"));
    EXPECT_EQ(65536u, Handle("000065536"));
    EXPECT_EQ(4294967295u, Handle("4294967295"));
}

TEST(HandleValue, MoreThanTenDigitsWrapModulo2To32)
{
    EXPECT_EQ(0u, Handle("4294967296"));
    EXPECT_EQ(1u, Handle("4294967297"));
    EXPECT_EQ((unsigned int)(42949672960ull % 4294967296ull), Handle("42949672960"));
    EXPECT_EQ((unsigned int)(123456789012345ull % 4294967296ull), Handle("123456789012345"));
    // Many digits: no overflow fault, just wrap-around.
    EXPECT_EQ(0u, Handle(std::string(100, '0')));
    std::string nines(60, '9');
    unsigned long long v = 0;
    for (char c : nines) v = (v * 10 + (unsigned)(c - '0')) % 4294967296ull;
    EXPECT_EQ((unsigned int)v, Handle(nines));
}
