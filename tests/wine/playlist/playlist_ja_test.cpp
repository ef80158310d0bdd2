// The playlist under code page 932, with double-byte names ending in 0x5C.
#include <gtest/gtest.h>

#include "playlist_support.h"
#include "platform_checks.h"
#include "test_support.h"

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
    for (const auto& row : rows) EXPECT_EQ(row[1], playlistLeadByte(row[0])) << row[0];
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

    bool playing = RunMusicTicks(&bgmPlaylist, listDir + "\\list.m3u", 100, 10000, [] {
        return !mciRecords.empty() && mciRecords.back().reply == "playing";
    });
    EXPECT_EQ(listDir + "\\", bgmPlaylist.baseDir);
    EXPECT_EQ(1, bgmPlaylist.trackCount);
    ASSERT_TRUE(bgmPlaylist.tracks[0]);
    EXPECT_EQ(track, bgmPlaylist.tracks[0]);
    std::vector<const MciRecord*> opens = OpenRecords();
    ASSERT_FALSE(opens.empty());
    EXPECT_EQ(OpenCommandFor(track), opens[0]->command);
    EXPECT_EQ(0u, opens[0]->result);
    EXPECT_TRUE(playing);
}
