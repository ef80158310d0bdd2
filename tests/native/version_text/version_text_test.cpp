#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "launcher/dialog/version_text.h"

namespace {

struct Parsed {
    int count;
    int parts[versionPartCount];
    // The count, then the four parts: one comparison that prints them all.
    std::vector<int> All() const { return {count, parts[0], parts[1], parts[2], parts[3]}; }
};

Parsed Parse(const char* text)
{
    char buffer[256];
    strcpy(buffer, text);
    Parsed p = {0, {0, 0, 0, 0}};
    p.count = ParseVersionParts(buffer, p.parts);
    return p;
}

std::string Line(const int parts[versionPartCount], const char* notice)
{
    char out[versionLineSize];
    memset(out, 'x', sizeof out);
    FormatVersionLine(out, parts, notice);
    return out;
}

}  // namespace

TEST(VersionParts, ResourceTextWithBlanks)
{
    EXPECT_EQ((std::vector<int>{4, 2, 10, 205, 0}), Parse("2, 10, 205, 0 ").All());
}

TEST(VersionParts, ShortTextLeavesTheRestZero)
{
    Parsed p = Parse("3,1");
    EXPECT_EQ((std::vector<int>{2, 3, 1, 0, 0}), p.All());
    EXPECT_EQ("velkaro_ss_launcher ver3.01 (build0000)\nN", Line(p.parts, "N"));
}

TEST(VersionParts, RunOfCommasIsOneSeparator)
{
    EXPECT_EQ((std::vector<int>{3, 1, 2, 3, 0}), Parse("1,,2,3").All());
    EXPECT_EQ((std::vector<int>{3, 1, 2, 3, 0}), Parse(",,,1,,,2,,,3,,,").All());
}

TEST(VersionParts, EmptyTextGivesNothing)
{
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 0}), Parse("").All());
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 0}), Parse(",,,").All());
    int parts[versionPartCount] = {0, 0, 0, 0};
    EXPECT_EQ("velkaro_ss_launcher ver0.00 (build0000)\n", Line(parts, ""));
}

TEST(VersionParts, AtMostFourPiecesAreStored)
{
    EXPECT_EQ((std::vector<int>{4, 1, 2, 3, 4}), Parse("1,2,3,4,5,6").All());
}

TEST(VersionParts, PieceValueIsLikeAtoi)
{
    for (auto row : {std::make_pair(12, "  \t12abc"), {-7, "-7"}, {7, "+7 "}, {0, "abc"},
                     {0, " - 5"}, {0, ""}})
        EXPECT_EQ(row.first, VersionPieceValue(row.second)) << row.second;
    // A piece of blanks has no digits.
    EXPECT_EQ((std::vector<int>{4, 0, 5, 0, -3}), Parse("x, 5y ,  ,-3").All());
}

TEST(VersionParts, HugeNumbersDoNotTrap)
{
    // 10^20 - 1 wraps modulo 2^32 to 1661992959.
    EXPECT_EQ((std::vector<int>{2, 1661992959, -1661992959, 0, 0}),
              Parse("99999999999999999999,-99999999999999999999").All());
}

TEST(VersionLine, ResourceVersionAndNotice)
{
    int parts[versionPartCount] = {2, 10, 205, 0};
    EXPECT_EQ("velkaro_ss_launcher ver2.10 (build0205)\nCopyright (C) 2026 velkaro_ss_launcher project",
              Line(parts, "Copyright (C) 2026 velkaro_ss_launcher project"));
}

TEST(VersionLine, LongNoticeIsCutAndTerminated)
{
    int parts[versionPartCount] = {1, 2, 3, 4};
    std::string notice(2000, 'n');
    char out[versionLineSize + 8];
    memset(out, 'x', sizeof out);
    FormatVersionLine(out, parts, notice.c_str());
    EXPECT_LT(strlen(out), (size_t)versionLineSize);
    EXPECT_GE(strlen(out), (size_t)versionLineSize - 2);
    EXPECT_EQ('x', out[versionLineSize]);  // nothing written past the buffer
}
