// The background-music playlist under Wine with the real MCI.
#include <gtest/gtest.h>

#include <string.h>

#include "playlist_support.h"
#include "registry_scope.h"
#include "test_files.h"
#include "tone_wav.h"

using PlaylistWineTest = MciRecorderTest;

// How many "status bgm mode" records in [from, to) replied "playing".
static int PlayingBetween(size_t from, size_t to)
{
    int playing = 0;
    for (size_t i = from; i < to; i++)
        playing += MciRecords()[i].command == "status bgm mode" &&
                   MciRecords()[i].reply == "playing";
    return playing;
}

TEST_F(PlaylistWineTest, CrLfLinesReadAsLfAndBlanksStay)
{
    std::string dir = MakeTestDir("playlist_crlf");
    ASSERT_TRUE(WriteFileBytes(dir + "\\list.m3u", "#EXTM3U\r\none.wav\r\n\\sub\\two.wav\r\n"
                                                 "  three.wav \t\r\nD:\\x\\four.mp3\r\nlast.mp3"));
    Playlist list(&bgmDevice);
    EXPECT_EQ(5, list.Load((dir + "\\list.m3u").c_str()));
    EXPECT_EQ(dir + "\\", list.baseDir);
    const std::string tracks[] = {dir + "\\one.wav", dir + "\\sub\\two.wav",
                                  dir + "\\  three.wav \t", "D:\\x\\four.mp3",
                                  dir + "\\last.mp3"};
    for (int i = 0; i < 5; i++) EXPECT_EQ(tracks[i], list.tracks[i]) << i;
    list.Teardown();
}

TEST_F(PlaylistWineTest, MissingPlaylistFileKeepsCountAndSetsBase)
{
    std::string dir = MakeTestDir("playlist_none");
    Playlist list(&bgmDevice);
    EXPECT_EQ(0, list.Load((dir + "\\absent.m3u").c_str()));
    EXPECT_EQ(dir + "\\", list.baseDir);
    list.Teardown();
}

// The stand-in MCI driver's "slow" blocks 20 s and fails, as on a share that does not answer.
TEST_F(PlaylistWineTest, WavTracksPlayInOrderSkipTheMissingOneAndWrap)
{
    std::string dir = MakeTestDir("playlist_wav");
    const char mciKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI";
    RegistryValueScope type(HKEY_LOCAL_MACHINE, (mciKey + std::string(" Extensions")).c_str(), "vks");
    RegistryValueScope driver(HKEY_LOCAL_MACHINE, mciKey, "velkarotest");
    ASSERT_TRUE(CopyInto(BinFile("mci_driver.dll"), dir, "mci_driver.dll"));
    ASSERT_TRUE(type.SetString("velkarotest") && driver.SetString(dir + "\\mci_driver.dll"));
    ASSERT_TRUE(WriteToneWav(dir + "\\a.wav", 500, 440) && WriteToneWav(dir + "\\c.wav", 500, 660));
    ASSERT_TRUE(WriteFileBytes(dir + "\\list.m3u", "a.wav\r\nmissing.wav\r\nslow.vks\r\nc.wav\r\n"));

    bool wrapped = RunMusicTicks(&RecordedPlaylist(), dir + "\\list.m3u", 100, 40000,
                                 [] { return OpenRecords().size() >= 7; });
    ASSERT_TRUE(wrapped) << "tracks did not come round to the first again";
    EXPECT_EQ(4, RecordedPlaylist().trackCount);

    // The first tick: the second request finds the first track playing.
    const std::string firstTick[] = {"status bgm mode", "stop bgm", "close bgm",
                                     OpenCommandFor(dir + "\\a.wav"), "play bgm from 0",
                                     "status bgm mode"};
    ASSERT_GE(MciRecords().size(), 6u);
    for (int i = 0; i < 6; i++) EXPECT_EQ(firstTick[i], MciRecords()[i].command) << i;
    EXPECT_EQ("playing", MciRecords()[5].reply);

    // From the second round on, the two that play follow each other.
    std::vector<const MciRecord*> opens = OpenRecords();
    const char* const order[] = {"a.wav", "missing.wav", "slow.vks", "c.wav", "a.wav", "c.wav", "a.wav"};
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(OpenCommandFor(dir + "\\" + order[i]), opens[i]->command) << i;
    EXPECT_EQ(0u, opens[0]->result);
    EXPECT_NE(0u, opens[1]->result);
    EXPECT_EQ(0u, opens[3]->result);

    // Each real track was reported playing before the next was started; the
    // missing one left nothing open, so the very next poll moved on.
    size_t at[5];  // where the opens of a, missing, slow, c and a again are
    for (int i = 0; i < 5; i++) at[i] = opens[i] - MciRecords().data();
    EXPECT_GE(PlayingBetween(at[0], at[1]), 1);
    EXPECT_GE(PlayingBetween(at[3], at[4]), 1);
    int statusAfterMissing = 0;
    for (size_t i = at[1]; i < at[2]; i++) {
        if (MciRecords()[i].command != "status bgm mode") continue;
        statusAfterMissing++;
        EXPECT_NE(0u, MciRecords()[i].result);  // no device "bgm"
        EXPECT_EQ("", MciRecords()[i].reply);
    }
    EXPECT_EQ(1, statusAfterMissing);
    EXPECT_EQ(1, RecordedPlaylist().currentIndex);

    // Teardown stops the music: no device is left.
    MciRecords().clear();
    RecordedPlaylist().Teardown();
    std::vector<std::string> commands;
    for (const MciRecord& r : MciRecords()) commands.push_back(r.command);
    ASSERT_EQ(std::vector<std::string>({"stop bgm", "close bgm", "close all"}), commands);
    EXPECT_EQ(0u, MciRecords()[0].result);
    char reply[256] = "";
    EXPECT_NE(0u, mciSendStringA("status bgm mode", reply, sizeof reply, NULL));
    EXPECT_STREQ("", reply);
    EXPECT_EQ(1, RecordedPlaylist().currentIndex);
    EXPECT_EQ(dir + "\\", RecordedPlaylist().baseDir);
}

TEST_F(PlaylistWineTest, SingleTrackStartsAgainWhenItEnds)
{
    std::string dir = MakeTestDir("playlist_one");
    ASSERT_TRUE(WriteToneWav(dir + "\\only.wav", 300, 523));
    ASSERT_TRUE(WriteFileBytes(dir + "\\list.m3u", "only.wav\n"));
    bool again = RunMusicTicks(&RecordedPlaylist(), dir + "\\list.m3u", 100, 20000,
                               [] { return OpenRecords().size() >= 2; });
    ASSERT_TRUE(again);
    std::vector<const MciRecord*> opens = OpenRecords();
    EXPECT_EQ(OpenCommandFor(dir + "\\only.wav"), opens[1]->command);
    EXPECT_EQ(0u, opens[1]->result);
}

TEST_F(PlaylistWineTest, DirectivesOnlyPlayNothing)
{
    std::string dir = MakeTestDir("playlist_directives");
    ASSERT_TRUE(WriteFileBytes(dir + "\\list.m3u", "#EXTM3U\r\n#EXTINF:3,A - B\r\n\r\n"));
    int ticks = 0;
    RunMusicTicks(&RecordedPlaylist(), dir + "\\list.m3u", 50, 5000, [&] { return ++ticks >= 3; });
    EXPECT_EQ(0, RecordedPlaylist().trackCount);
    EXPECT_TRUE(OpenRecords().empty());
    for (const MciRecord& r : MciRecords())
        EXPECT_TRUE(r.command == "status bgm mode" || r.command == "stop bgm" ||
                    r.command == "close bgm") << r.command;
}

// A path in the "\\?\" form, which has no 260-character limit.
static std::wstring LongForm(const std::string& path)
{
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}

// Creates every folder of rest (which ends with '\') inside base.
static bool CreateLongFolders(const std::string& base, const std::string& rest)
{
    for (size_t sep = rest.find('\\'); sep != std::string::npos; sep = rest.find('\\', sep + 1)) {
        std::wstring folder = LongForm(base + "\\" + rest.substr(0, sep));
        if (!CreateDirectoryW(folder.c_str(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

TEST_F(PlaylistWineTest, Mp3WithAPathFarBeyond256BytesPlays)
{
    std::string mp3 = BinFile("playlist_tone.mp3");
    ASSERT_TRUE(PathExists(mp3));
    std::string top = MakeTestDir("playlist_mp3");
    // The longest base the playlist can give: a 259-byte playlist path (what
    // the C library still opens) in a folder of 256, so 257 with the '\'.
    std::string listFolder = std::string(256 - top.size() - 1, 'b');
    std::string listDir = top + "\\" + listFolder;
    std::string listPath = listDir + "\\l2";
    ASSERT_EQ(259u, listPath.size());
    // Then 255 bytes of folders and a 255-byte name: the longest MCI can
    // take, since the device is chosen by the extension .mp3.
    std::string sub = std::string(120, 'd') + "\\" + std::string(133, 'e') + "\\";
    std::string name = std::string(251, 'n') + ".mp3";
    std::string track = listDir + "\\" + sub + name;
    ASSERT_EQ(767u, track.size());
    ASSERT_TRUE(CreateLongFolders(top, listFolder + "\\" + sub));
    ASSERT_TRUE(CopyFileW(LongForm(mp3).c_str(), LongForm(track).c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(listPath, sub + name + "\r\n"));

    bool playing = RunMusicTicks(&RecordedPlaylist(), listPath, 100, 20000, [] {
        return !MciRecords().empty() && MciRecords().back().reply == "playing";
    });
    EXPECT_EQ(listDir + "\\", RecordedPlaylist().baseDir);
    EXPECT_EQ(257u, strlen(RecordedPlaylist().baseDir));
    std::vector<const MciRecord*> opens = OpenRecords();
    ASSERT_FALSE(opens.empty());
    EXPECT_EQ(OpenCommandFor(track), opens[0]->command);
    EXPECT_EQ(0u, opens[0]->result);
    EXPECT_TRUE(playing) << "track of " << track.size() << " bytes did not play";
    printf("played a track path of %u bytes\n", (unsigned)track.size());
    RecordedPlaylist().Teardown();
    RemoveTree(top);
    EXPECT_FALSE(PathExists(top));
}
