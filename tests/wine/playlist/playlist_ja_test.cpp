// The playlist under code page 932, with double-byte names ending in 0x5C,
// and UTF-8 playlists whose names the code page cannot hold (those cases
// also run under code page 1252).
#include <gtest/gtest.h>

#include "playlist_support.h"
#include "platform_checks.h"
#include "test_files.h"
#include "tone_wav.h"
#include "window_probe.h"

using PlaylistJapanese = MciRecorderTest;

// 表 (0x95 0x5C), 示 (0x8E 0xA6), ソ (0x83 0x5C), 能 (0x94 0x5C).
static const std::string hyo = "\x95\x5c";
static const std::string shi = "\x8e\xa6";
static const std::string so = "\x83\x5c";
static const std::string nou = "\x94\x5c";

TEST_F(PlaylistJapanese, LeadByteTestIsTheCodePages)
{
    SKIP_UNLESS_CODE_PAGE_932();
    // Byte, then whether it leads; 0xA6 is a half-width katakana.
    const int rows[][2] = {{0x95, 1}, {0x83, 1}, {0xE0, 1}, {0x5C, 0}, {0xA6, 0}, {'a', 0}};
    for (const auto& row : rows) EXPECT_EQ(row[1], bgmDevice.leadByte(row[0])) << row[0];
}

TEST_F(PlaylistJapanese, TrailByteBackslashDoesNotSplitAndTrackPlays)
{
    SKIP_UNLESS_CODE_PAGE_932();
    // Playlist in a folder named 表, the track in a folder ソ named 表示能.wav.
    std::string top = MakeTestDir("playlist_ja");
    std::string listDir = top + "\\" + hyo;
    ASSERT_TRUE(CreateDirectoryA(listDir.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((listDir + "\\" + so).c_str(), NULL));
    std::string track = listDir + "\\" + so + "\\" + hyo + shi + nou + ".wav";
    ASSERT_TRUE(WriteToneWav(track, 500, 440));
    ASSERT_TRUE(PathExists(track));
    ASSERT_TRUE(WriteFileBytes(listDir + "\\list.m3u",
                               "#EXTM3U\r\n" + so + "\\" + hyo + shi + nou + ".wav\r\n" +
                                   hyo + "\r\n"));

    bool playing = RunMusicTicks(&RecordedPlaylist(), listDir + "\\list.m3u", 100, 10000, [] {
        return !MciRecords().empty() && MciRecords().back().reply == "playing";
    });
    EXPECT_EQ(listDir + "\\", RecordedPlaylist().baseDir);
    EXPECT_EQ(1, RecordedPlaylist().trackCount);
    ASSERT_TRUE(RecordedPlaylist().tracks[0]);
    EXPECT_EQ(track, RecordedPlaylist().tracks[0]);
    std::vector<const MciRecord*> opens = OpenRecords();
    ASSERT_FALSE(opens.empty());
    EXPECT_EQ(OpenCommandFor(track), opens[0]->command);
    EXPECT_EQ(0u, opens[0]->result);
    EXPECT_TRUE(playing);
}

using PlaylistUtf8 = MciRecorderTest;

static bool WriteToneWavAs(const std::string& dir, const std::wstring& name, int hertz)
{
    std::string temporary = dir + "\\tone.tmp";
    return WriteToneWav(temporary, 500, hertz) &&
           MoveFileW(Wide(temporary).c_str(), (Wide(dir) + L"\\" + name).c_str());
}

// A playlist of tones under the given names, each behind an #EXTINF line
// with '.' in its title, written in UTF-8 after prefix: its tracks play in
// order through the wide entry and come round again, and nothing else is
// opened (Wine opens some of these names only by their short form).
static void ExpectPlaysInOrder(const char* folder, const std::string& listName,
                               const std::string& prefix, const std::wstring (&names)[2])
{
    std::string dir = MakeTestDir(folder);
    std::string text = prefix + "#EXTM3U\r\n";
    std::string opensOf[2][2];  // the open commands of each track: long and short name
    for (int i = 0; i < 2; i++) {
        ASSERT_TRUE(WriteToneWavAs(dir, names[i], 440 + 220 * i));
        text += "#EXTINF:1,Mr. X - Vol. 2 feat. Y\r\n" + Utf8(names[i]) + "\r\n";
        std::wstring path = Wide(dir) + L"\\" + names[i];
        wchar_t shortPath[MAX_PATH] = L"";
        ASSERT_NE(0u, GetShortPathNameW(path.c_str(), shortPath, MAX_PATH));
        opensOf[i][0] = OpenCommandFor(Utf8(path));
        opensOf[i][1] = OpenCommandFor(Utf8(shortPath));
    }
    ASSERT_TRUE(WriteFileBytes(dir + "\\" + listName, text));
    auto trackOf = [&](const MciRecord& r) {
        for (int i = 0; i < 2; i++)
            if (r.command == opensOf[i][0] || r.command == opensOf[i][1]) return i;
        return -1;
    };
    // Where each open that succeeded is among the records.
    auto opened = [&] {
        std::vector<size_t> at;
        for (size_t i = 0; i < MciRecords().size(); i++)
            if (MciRecords()[i].command.compare(0, 5, "open ") == 0 && MciRecords()[i].result == 0)
                at.push_back(i);
        return at;
    };
    RecordedPlaylist().currentIndex = 0;  // earlier tests' position survives their teardown
    bool wrapped = RunMusicTicks(&RecordedPlaylist(), dir + "\\" + listName, 100, 20000,
                                 [&] { return opened().size() >= 3; });
    ASSERT_TRUE(wrapped) << "the tracks did not come round to the first again";
    EXPECT_EQ(2, RecordedPlaylist().trackCount);
    for (const MciRecord* r : OpenRecords()) {
        EXPECT_TRUE(r->wide) << r->command;
        EXPECT_NE(-1, trackOf(*r)) << r->command;
    }
    std::vector<size_t> at = opened();
    const int order[] = {0, 1, 0};
    for (int i = 0; i < 3; i++) EXPECT_EQ(order[i], trackOf(MciRecords()[at[i]])) << i;
    for (int i = 0; i < 2; i++) {
        bool byShortName = MciRecords()[at[i]].command != opensOf[i][0];
        printf("track %d opened by its %s name\n", i + 1, byShortName ? "short" : "long");
    }
    for (int i = 0; i < 2; i++) {
        int playing = 0;
        for (size_t k = at[i]; k < at[i + 1]; k++)
            playing += MciRecords()[k].command == "status bgm mode" &&
                       MciRecords()[k].reply == "playing";
        EXPECT_GE(playing, 1) << "track " << i << " was not heard playing";
    }
}

TEST_F(PlaylistUtf8, M3u8NamesOutsideTheCodePagePlayInOrder)
{
    ASSERT_TRUE(CodePageAsAnnounced());
    // 한국어 노래 and café ♡: in neither code page 932 nor 1252.
    const std::wstring names[2] = {L"\uD55C\uAD6D\uC5B4 \uB178\uB798.wav", L"caf\u00E9 \u2661.wav"};
    ExpectPlaysInOrder("playlist_m3u8", "list.m3u8", "", names);
}

TEST_F(PlaylistUtf8, M3uWithByteOrderMarkAndJapaneseNamesPlays)
{
    ASSERT_TRUE(CodePageAsAnnounced());
    // 表示 テスト and 曲: in code page 932, not in 1252.
    const std::wstring names[2] = {L"\u8868\u793A \u30C6\u30B9\u30C8.wav", L"\u66F2.wav"};
    ExpectPlaysInOrder("playlist_bom", "list.m3u", "\xEF\xBB\xBF", names);
}
