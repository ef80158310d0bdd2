// The playlist against a recording MCI sender with scripted replies, and the
// lead-byte rule of code page 932.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "launcher/music/playlist.h"
#include "tests/native/common/lead_bytes.h"
#include "tests/native/common/utf8_of.h"

struct SentCommand {
    std::string text;
    bool hasReply;
    unsigned replyLength;
    bool wide;
};

static std::vector<SentCommand> sent;
static std::deque<std::string> statusReplies;  // next replies to "status bgm mode"

static std::set<std::string> failingOpens;  // open commands that fail

static unsigned long RecordMci(const char* command, char* reply, unsigned replyLength)
{
    // Any other quote would end the name and put words into the command.
    if (strncmp(command, "open ", 5) == 0)
        EXPECT_EQ(2, std::count(command, command + strlen(command), '"')) << command;
    sent.push_back(SentCommand{command, reply != NULL, replyLength, false});
    if (reply && strcmp(command, "status bgm mode") == 0 && !statusReplies.empty()) {
        snprintf(reply, replyLength, "%s", statusReplies.front().c_str());
        statusReplies.pop_front();
    }
    return failingOpens.count(command) ? 275 : 0;
}

// The wide entry, recorded in UTF-8.
static unsigned long RecordMciWide(const char16_t* command, char* reply, unsigned replyLength)
{
    unsigned long result = RecordMci(Utf8Of(command).c_str(), reply, replyLength);
    sent.back().wide = true;
    return result;
}

// Short names: "SHORT~1.MP3" in the same folder, for every name.
static int FakeShortPath(const char16_t* path, char16_t* out, unsigned length)
{
    std::u16string text(path);
    std::u16string shortName = text.substr(0, text.find_last_of(u"\\/") + 1) + u"SHORT~1.MP3";
    if (shortName.size() >= length) return 0;
    std::copy(shortName.c_str(), shortName.c_str() + shortName.size() + 1, out);
    return 1;
}

static const PlaylistDevice testDevice = {RecordMci, RecordMciWide, FakeShortPath, Latin1ToUtf8,
                                          Cp932Lead};
// One in static storage, as the saver's is.
static Playlist bgmPlaylist(&testDevice);

static std::vector<std::string> Texts()
{
    std::vector<std::string> texts;
    for (const SentCommand& c : sent) texts.push_back(c.text);
    return texts;
}

typedef std::vector<std::string> Strings;

class PlaylistTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sent.clear();
        statusReplies.clear();
        failingOpens.clear();
        char pattern[] = "/tmp/playlist_test_XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        dir = pattern;
        list = new Playlist(&testDevice);
    }
    void TearDown() override
    {
        list->Teardown();
        delete list;
        for (const std::string& f : files) unlink(f.c_str());
        rmdir(dir.c_str());
    }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::string path = dir + "/" + name;
        FILE* f = fopen(path.c_str(), "wb");
        EXPECT_TRUE(f != NULL);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        files.push_back(path);
        return path;
    }
    Strings Tracks()
    {
        Strings t;
        for (int i = 0; i < list->trackCount; i++) t.push_back(list->tracks[i] ? list->tracks[i] : "<null>");
        return t;
    }
    std::string Base() { return dir + "/"; }

    std::string dir;
    std::vector<std::string> files;
    Playlist* list;
};

TEST_F(PlaylistTest, StartsEmpty)
{
    for (int i = 0; i < playlistSlots; i++) ASSERT_EQ(NULL, list->tracks[i]);
    EXPECT_EQ(0, list->trackCount);
    EXPECT_EQ(0, list->currentIndex);
    EXPECT_STREQ("", list->baseDir);
    EXPECT_EQ(0, bgmPlaylist.trackCount);
    EXPECT_EQ(0, bgmPlaylist.currentIndex);
    EXPECT_STREQ("", bgmPlaylist.baseDir);
}

TEST_F(PlaylistTest, LinesOfTheExamplesTable)
{
    std::string path = Write("list.m3u",
                             "#EXTM3U\n#EXTINF:215,Artist - Title\n#EXTINF:215,Mr. X - Title\n\n"
                             "song.mp3\nsub\\song.mp3\n\\sub\\song.mp3\n/sub/song.mp3\n"
                             "D:\\Other\\song.mp3\nD:song.mp3\n\\\\server\\share\\x.mp3\n"
                             "D:\\my.music\\song\n");
    // A directive is never a track, even with a '.' in its title.
    EXPECT_EQ(7, list->Load(path.c_str()));
    EXPECT_EQ(Base(), list->baseDir);
    const std::string b = Base();
    EXPECT_EQ((Strings{b + "song.mp3", b + "sub\\song.mp3", b + "sub\\song.mp3",
                       b + "sub/song.mp3", "D:\\Other\\song.mp3", "D:song.mp3",
                       "\\\\server\\share\\x.mp3"}),
              Tracks());
    EXPECT_EQ(NULL, list->tracks[7]);
}

TEST_F(PlaylistTest, WindowsBaseDirectoryFromThePlaylistPath)
{
    // A playlist that cannot be opened still sets the base directory.
    EXPECT_EQ(0, list->Load("C:\\Music\\no such list.m3u"));
    EXPECT_STREQ("C:\\Music\\", list->baseDir);
    EXPECT_EQ(1, list->AddTrack("song.mp3\n"));
    EXPECT_EQ(2, list->AddTrack("\\sub\\song.mp3\n"));
    EXPECT_EQ(3, list->AddTrack("/sub/song.mp3"));
    EXPECT_STREQ("C:\\Music\\song.mp3", list->tracks[0]);
    EXPECT_STREQ("C:\\Music\\sub\\song.mp3", list->tracks[1]);
    EXPECT_STREQ("C:\\Music\\sub/song.mp3", list->tracks[2]);
    EXPECT_EQ(0, list->trackCount);  // only Load counts

    Playlist other(&testDevice);
    other.Load("D:list.m3u");
    EXPECT_STREQ("D:", other.baseDir);
    other.Load("E:/x/y/list.m3u");
    EXPECT_STREQ("E:/x/y/", other.baseDir);
    other.Teardown();
}

TEST_F(PlaylistTest, BarePlaylistNameGivesEmptyBaseAndRelativeTracks)
{
    std::string path = Write("list.m3u", "song.mp3\nsub\\x.wav\n");
    ASSERT_EQ(0, chdir(dir.c_str()));
    EXPECT_EQ(2, list->Load("list.m3u"));
    EXPECT_STREQ("", list->baseDir);
    EXPECT_EQ((Strings{"song.mp3", "sub\\x.wav"}), Tracks());
    ASSERT_EQ(0, chdir("/"));
}

TEST_F(PlaylistTest, RefusedLines)
{
    const char* const lines[] = {NULL, "", "\n", "#EXTM3U\n", "D:\\my.music\\song\n", "dir.d/\n"};
    for (const char* line : lines) EXPECT_EQ(0, list->AddTrack(line)) << (line ? line : "NULL");
    EXPECT_EQ(NULL, list->tracks[0]);
}

TEST_F(PlaylistTest, OnlyDirectivesAndBlankLinesGiveAnEmptyTable)
{
    std::string path = Write("list.m3u", "#EXTM3U\n\n#EXTINF:1,A - B\n\n");
    EXPECT_EQ(0, list->Load(path.c_str()));
    EXPECT_EQ(NULL, list->tracks[0]);
}

TEST_F(PlaylistTest, LineEndsAndBlanks)
{
    // fopen "r" on Linux keeps CR; only the LF is cut. (Under Windows text
    // mode the CR is gone before the line arrives: the Wine tests check it.)
    std::string path = Write("list.m3u", "a.mp3\r\n  lead.mp3\ntrail.mp3 \t\nlast.mp3");
    EXPECT_EQ(4, list->Load(path.c_str()));
    const std::string b = Base();
    EXPECT_EQ((Strings{b + "a.mp3\r", b + "  lead.mp3", b + "trail.mp3 \t", b + "last.mp3"}),
              Tracks());
}

TEST_F(PlaylistTest, LongLinesAreRefusedWholeNotInPieces)
{
    // 1031 bytes: no piece of it may become a track ("tail.wav" would).
    std::string longLine = std::string(1019, 'x') + ".mp3" + "tail.wav\n";
    // A piece that names another file: "..\\other.mp3" past the buffer.
    std::string escape = "D:\\" + std::string(1020, 'z') + "\\..\\other.mp3\n";
    // 1023 bytes fit the line buffer, but not the 255-byte name field.
    std::string exact = std::string(1019, 'y') + ".ogg\n";
    std::string path = Write("list.m3u", longLine + escape + exact + "end.mp3\n" +
                                             std::string(5000, 'w') + ".mp3");
    EXPECT_EQ(1, list->Load(path.c_str()));
    EXPECT_EQ((Strings{Base() + "end.mp3"}), Tracks());
}

TEST_F(PlaylistTest, DoubleByteNamesAreNotSplitAtTrailBackslash)
{
    // U+8868 U+793A (0x95 0x5C 0x8E 0xA6) and a name of 0x83 0x5C (U+30BD).
    std::string path =
        Write("list.m3u", "\x95\x5c\x8e\xa6.mp3\n\\\x83\x5c\\\x83\x5c.wav\n\x95\x5c\n");
    EXPECT_EQ(2, list->Load(path.c_str()));
    const std::string b = Base();
    EXPECT_EQ((Strings{b + "\x95\x5c\x8e\xa6.mp3", b + "\x83\x5c\\\x83\x5c.wav"}), Tracks());
}

TEST_F(PlaylistTest, PathsThatWouldBeCutAreRefused)
{
    // Cut to fit, each would name another file (the first a name without
    // its last character).
    std::string name = std::string(254, 'n') + "\x95\x5c" + "rest";
    std::string path = Write("list.m3u", "D:\\" + name + ".mp3\n" +
                                             std::string(256, 'd') + "\\x.mp3\n" +
                                             "x." + std::string(255, 'e') + "\n" +
                                             std::string(253, 'n') + "\x95\x5c.mp3\n");
    EXPECT_EQ(1, list->Load(path.c_str()));
    EXPECT_EQ((Strings{Base() + std::string(253, 'n') + "\x95\x5c.mp3"}), Tracks());
    // A playlist whose own folder does not fit gives no base and reads nothing.
    std::string deep = "C:\\" + std::string(256, 'f') + "\\list.m3u";
    EXPECT_EQ(1, list->Load(deep.c_str()));
    EXPECT_STREQ("", list->baseDir);
    // Nor does one whose folder has a double quote, which would end every name.
    std::string quoted = dir + "/a\"b";
    ASSERT_EQ(0, mkdir(quoted.c_str(), 0700));
    Write("a\"b/list.m3u", "song.mp3\n");
    EXPECT_EQ(1, list->Load((quoted + "/list.m3u").c_str()));
    EXPECT_STREQ("", list->baseDir);
    unlink((quoted + "/list.m3u").c_str());
    rmdir(quoted.c_str());
}

TEST_F(PlaylistTest, TableHolds2048Tracks)
{
    std::string text;
    char line[32];
    for (int i = 1; i <= 2049; i++) {
        snprintf(line, sizeof line, "t%04d.mp3\n", i);
        text += line;
    }
    std::string path = Write("list.m3u", text);
    EXPECT_EQ(2048, list->Load(path.c_str()));
    EXPECT_EQ(Base() + "t0001.mp3", list->tracks[0]);
    EXPECT_EQ(Base() + "t2048.mp3", list->tracks[2047]);
    EXPECT_EQ(0, list->AddTrack("more.mp3\n"));
    // Loading again appends nothing more.
    EXPECT_EQ(2048, list->Load(path.c_str()));
}

TEST_F(PlaylistTest, ReadingStopsAtTheLastSlot)
{
    // A pipe that gives more than 2048 tracks, then holds for 5 s: a load
    // that read on would wait for its end.
    std::string path = dir + "/held.m3u";
    ASSERT_EQ(0, mkfifo(path.c_str(), 0600));
    files.push_back(path);
    std::atomic<int> loaded(0), held(0);
    std::thread writer([&] {
        FILE* f = fopen(path.c_str(), "w");
        for (int i = 0; i < 4000; i++) fprintf(f, "t%04d.mp3\n", i);
        fflush(f);
        for (int i = 0; i < 500 && !loaded; i++) usleep(10000);
        held = !loaded;
        fclose(f);
    });
    loaded = list->Load(path.c_str());
    writer.join();
    EXPECT_EQ(2048, loaded + 0);
    EXPECT_FALSE(held);
}

TEST_F(PlaylistTest, SecondLoadAppends)
{
    std::string first = Write("one.m3u", "a.mp3\nb.mp3\n");
    mkdir((dir + "/sub").c_str(), 0700);
    std::string second = Write("sub/two.m3u", "c.mp3\n");
    EXPECT_EQ(2, list->Load(first.c_str()));
    EXPECT_EQ(3, list->Load(second.c_str()));
    EXPECT_EQ((Strings{Base() + "a.mp3", Base() + "b.mp3", Base() + "sub/c.mp3"}), Tracks());
    EXPECT_EQ(Base() + "sub/", list->baseDir);
    // A missing file keeps the count but moves the base directory.
    EXPECT_EQ(3, list->Load((dir + "/none/x.m3u").c_str()));
    EXPECT_EQ(dir + "/none/", list->baseDir);
    unlink(second.c_str());
    rmdir((dir + "/sub").c_str());
}

TEST_F(PlaylistTest, FirstTickLoadsThenPlaysNextTwice)
{
    std::string path = Write("list.m3u", "one.wav\ntwo.wav\n");
    list->Load(path.c_str());
    EXPECT_TRUE(sent.empty());

    statusReplies = {"stopped", "playing"};
    list->PlayNext();
    list->PlayNext();
    std::string open1 = "open \"" + Base() + "one.wav\" alias bgm";
    EXPECT_EQ((Strings{"status bgm mode", "stop bgm", "close bgm", open1, "play bgm from 0",
                       "status bgm mode"}),
              Texts());
    EXPECT_EQ(1, list->currentIndex);
    // Reply buffers: 256 bytes for queries, open and play; none for the rest.
    for (const SentCommand& c : sent) {
        bool wantsReply = c.text == "status bgm mode" || c.text == open1 ||
                          c.text == "play bgm from 0";
        EXPECT_EQ(wantsReply, c.hasReply) << c.text;
        EXPECT_EQ(wantsReply ? 256u : 0u, c.replyLength) << c.text;
    }
}

TEST_F(PlaylistTest, OnlyTheExactReplyPlayingCounts)
{
    std::string path = Write("list.m3u", "one.wav\n");
    list->Load(path.c_str());
    for (const char* reply : {"Playing", "playing ", "paused", "stopped", "not ready", ""}) {
        sent.clear();
        statusReplies = {reply};
        EXPECT_EQ(0, list->IsPlaying()) << reply;
        EXPECT_EQ((Strings{"status bgm mode"}), Texts());
    }
    statusReplies = {"playing"};
    EXPECT_EQ(1, list->IsPlaying());
}

TEST_F(PlaylistTest, TracksFollowInOrderAndWrap)
{
    // A track that fails to open leaves nothing playing: the next poll moves
    // on, and later rounds pass it over.
    std::string path = Write("list.m3u", "one.wav\nmissing.wav\nthree.wav\n");
    list->Load(path.c_str());
    const std::string b = Base();
    failingOpens = {"open \"" + b + "missing.wav\" alias bgm"};
    Strings opened;
    for (int poll = 0; poll < 6; poll++) {
        sent.clear();
        statusReplies = {"stopped"};
        list->PlayNext();
        ASSERT_EQ(5u, sent.size());
        opened.push_back(sent[3].text);
        sent.clear();
        statusReplies = {"playing"};
        list->PlayNext();
        EXPECT_EQ((Strings{"status bgm mode"}), Texts());
    }
    const char* const order[] = {"one", "missing", "three", "one", "three", "one"};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ("open \"" + b + order[i] + ".wav\" alias bgm", opened[i]) << i;
    EXPECT_EQ(1, list->currentIndex);
    // Tracks that played and then fail go too; with none left the music ends.
    failingOpens = {"open \"" + b + "one.wav\" alias bgm", "open \"" + b + "three.wav\" alias bgm"};
    sent.clear();
    for (int poll = 0; poll < 4; poll++) list->PlayNext();
    EXPECT_EQ(10u, sent.size());
}

TEST_F(PlaylistTest, SingleTrackRestartsWhenItEnds)
{
    std::string path = Write("list.m3u", "only.wav\n");
    list->Load(path.c_str());
    list->PlayNext();
    EXPECT_EQ(1, list->currentIndex);
    sent.clear();
    list->PlayNext();
    EXPECT_EQ((Strings{"status bgm mode", "stop bgm", "close bgm",
                       "open \"" + Base() + "only.wav\" alias bgm", "play bgm from 0"}),
              Texts());
    EXPECT_EQ(1, list->currentIndex);
}

TEST_F(PlaylistTest, EmptyTablePlaysNothing)
{
    for (int tick = 0; tick < 2; tick++) {
        sent.clear();
        list->PlayNext();
        EXPECT_EQ((Strings{"status bgm mode", "stop bgm", "close bgm"}), Texts()) << tick;
        EXPECT_EQ(1, list->currentIndex);
    }
}

TEST_F(PlaylistTest, PlayChecksItsIndex)
{
    std::string path = Write("list.m3u", "one.wav\n");
    list->Load(path.c_str());
    for (int index : {0, -1, 2049}) EXPECT_EQ(0, list->Play(index)) << index;
    EXPECT_TRUE(sent.empty());
    // In range but empty: the old device is closed, nothing opened.
    EXPECT_EQ(0, list->Play(2));
    EXPECT_EQ(0, list->Play(2048));
    EXPECT_EQ((Strings{"stop bgm", "close bgm", "stop bgm", "close bgm"}), Texts());
    EXPECT_EQ(0, list->currentIndex);
    sent.clear();
    EXPECT_EQ(1, list->Play(1));
    EXPECT_EQ((Strings{"stop bgm", "close bgm", "open \"" + Base() + "one.wav\" alias bgm",
                       "play bgm from 0"}),
              Texts());
    EXPECT_EQ(1, list->currentIndex);
}

TEST_F(PlaylistTest, TeardownStopsFreesAndKeepsPosition)
{
    std::string path = Write("list.m3u", "one.wav\ntwo.wav\nthree.wav\n");
    list->Load(path.c_str());
    list->PlayNext();
    statusReplies = {"stopped"};
    list->PlayNext();
    EXPECT_EQ(2, list->currentIndex);
    for (int round = 0; round < 2; round++) {  // again: the same, nothing else changes
        sent.clear();
        list->Teardown();
        EXPECT_EQ((Strings{"stop bgm", "close bgm", "close all"}), Texts());
        EXPECT_EQ(0, list->trackCount);
        for (int i = 0; i < playlistSlots; i++) ASSERT_EQ(NULL, list->tracks[i]);
        EXPECT_EQ(2, list->currentIndex);
        EXPECT_EQ(Base(), list->baseDir);
    }

    // A later load goes on from the kept position, wrapping past the end.
    std::string two = Write("two.m3u", "x.wav\ny.wav\nz.wav\n");
    list->Load(two.c_str());
    sent.clear();
    list->PlayNext();
    EXPECT_EQ("open \"" + Base() + "z.wav\" alias bgm", sent.at(3).text);
    sent.clear();
    list->PlayNext();
    EXPECT_EQ("open \"" + Base() + "x.wav\" alias bgm", sent.at(3).text);
    EXPECT_EQ(1, list->currentIndex);
}

TEST_F(PlaylistTest, LongTrackPathsMakeWholeOpenCommands)
{
    // Base directory of 257 bytes (drive and 255), then 255 + 255 + 133.
    std::string base = "C:\\" + std::string(253, 'b') + "\\";
    list->Load((base + "list.m3u").c_str());
    ASSERT_EQ(base, list->baseDir);
    std::string sub = std::string(254, 'd') + "\\";
    std::string name = std::string(255, 'n');
    std::string ext = ".mp3" + std::string(129, 'e');
    std::string track = base + sub + name + ext;
    ASSERT_EQ(900u, track.size());
    EXPECT_EQ(1, list->AddTrack((sub + name + ext + "\n").c_str()));
    EXPECT_EQ(1, list->Play(1));
    ASSERT_EQ(4u, sent.size());
    EXPECT_EQ("open \"" + track + "\" alias bgm", sent[2].text);

    // The longest joined path: 1022 bytes.
    std::string longest = base + sub + name + "." + std::string(254, 'x');
    ASSERT_EQ(1022u, longest.size());
    EXPECT_EQ(0, list->AddTrack((sub + name + "." + std::string(300, 'x') + "\n").c_str()));
    EXPECT_EQ(2, list->AddTrack((sub + name + "." + std::string(254, 'x') + "\n").c_str()));
    EXPECT_EQ(longest, list->tracks[1]);
    sent.clear();
    EXPECT_EQ(1, list->Play(2));
    EXPECT_EQ("open \"" + longest + "\" alias bgm", sent.at(2).text);
}

// 曲 (U+66F2), ♡ (U+2661), 한 (U+D55C), 𝄞 (U+1D11E): none of them in code page 1252,
// the last three not in 932 either.
static const std::string kyoku = "\xE6\x9B\xB2", heart = "\xE2\x99\xA1";
static const std::string han = "\xED\x95\x9C", clef = "\xF0\x9D\x84\x9E";

TEST_F(PlaylistTest, Utf8PlaylistsByNameOrByteOrderMark)
{
    // The playlist's folder arrives in ANSI (0xA9, a single byte in 932, here
    // taken as Latin-1) and is joined in UTF-8.
    std::string folder = dir + "/m\xA9";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
    std::string m3u8 =
        Write("m\xA9/list.M3U8", "#EXTM3U\n#EXTINF:215,Mr. X - " + heart + "\n" + kyoku + heart +
                                     ".mp3\nsub\\" + han + clef + ".wav\nbad\xE6\x9B.mp3\n" +
                                     "\xC0\xAF.mp3\n\xED\xA0\x80.mp3\n");
    EXPECT_EQ(2, list->Load(m3u8.c_str()));
    const std::string base8 = dir + "/m\xC2\xA9/";
    EXPECT_EQ(base8, list->baseDirUtf8);
    EXPECT_EQ((Strings{base8 + kyoku + heart + ".mp3", base8 + "sub\\" + han + clef + ".wav"}),
              Tracks());
    EXPECT_EQ(1, list->trackIsUtf8[0]);
    EXPECT_EQ(1, list->trackIsUtf8[1]);
    // The name goes to the wide entry; so does the play that follows.
    EXPECT_EQ(1, list->Play(2));
    EXPECT_EQ((Strings{"stop bgm", "close bgm",
                       "open \"" + base8 + "sub\\" + han + clef + ".wav\" alias bgm",
                       "play bgm from 0"}),
              Texts());
    EXPECT_EQ((std::vector<bool>{false, false, true, true}),
              (std::vector<bool>{sent[0].wide, sent[1].wide, sent[2].wide, sent[3].wide}));
    EXPECT_EQ(256u, sent[2].replyLength);
    list->Teardown();
    rmdir(folder.c_str());

    // A byte-order mark makes any playlist UTF-8 and is no part of its first line.
    std::string bom = Write("bom.m3u", "\xEF\xBB\xBF" + kyoku + ".mp3\n#" + heart + ".mp3\n");
    EXPECT_EQ(1, list->Load(bom.c_str()));
    EXPECT_EQ((Strings{Base() + kyoku + ".mp3"}), Tracks());
    EXPECT_EQ(1, list->trackIsUtf8[0]);
    list->Teardown();
    // Without it the same bytes are ANSI, read as ever.
    std::string plain = Write("plain.m3u", kyoku + ".mp3\n");
    EXPECT_EQ(1, list->Load(plain.c_str()));
    EXPECT_EQ((Strings{Base() + kyoku + ".mp3"}), Tracks());
    EXPECT_EQ(0, list->trackIsUtf8[0]);
    sent.clear();
    list->Play(1);
    EXPECT_FALSE(sent.at(2).wide);
}

TEST_F(PlaylistTest, DirectivesUrlsAndQuotes)
{
    list->Load("C:\\Music\\none.m3u");
    struct Row { const char *line, *track; };  // track null: refused
    const Row rows[] = {
        {"#EXTINF:215,Mr. X - Title", NULL}, {"#EXTINF:-1,Vol. 2 feat. Y\r\n", NULL},
        {"# old.mp3", NULL},
        {"file:///C:/Music/%E6%9B%b2.mp3\n", "C:\\Music\\\xE6\x9B\xB2.mp3"},
        {"file://localhost/C:/a%20b.mp3", "C:\\a b.mp3"},
        {"FILE:/D:/x.mp3", "D:\\x.mp3"}, {"file:E:/x.mp3", "E:\\x.mp3"},
        {"file://server/share/x%2b.mp3", "\\\\server\\share\\x+.mp3"},
        {"file:////server/share/y.mp3", "\\\\server\\share\\y.mp3"},
        {"file://C:/Music/a.mp3", "C:\\Music\\a.mp3"},
        {"file:///C:/AUX.mp3", NULL}, {"\\\\.\\COM1.wav", NULL},
        {"//?/UNC/server/share/x.wav", NULL},
        {"\\\\?\\C:\\x.wav", "\\\\?\\C:\\x.wav"},
        {"CON.wav", NULL}, {"sub\\nul.tar.mp3", NULL}, {"lpt9 .wav", NULL},
        {"console.wav", "C:\\Music\\console.wav"},
        // Devices once "." and ".." are resolved and trailing dots and blanks go
        // (not a device name as a folder); "\\?\" takes '/' as part of a name.
        {"x\\COM1\\..\\NUL\\. .", NULL}, {"CONIN$.wav", NULL}, {"COM\xB9.wav", NULL},
        {"C:\\con\\x.wav", "C:\\con\\x.wav"}, {"\\\\?\\C:/Music/a.wav", NULL},
        // Forward slashes and file URLs as Windows and players write them.
        {"//server/share/x.wav", "//server/share/x.wav"}, {"/Music/x.wav", "C:\\Music\\Music/x.wav"},
        {"file:////C:/x.wav", "C:\\x.wav"}, {"file://C|/x.wav", "C:\\x.wav"},
        {"file://///srv/sh/x.wav", "\\\\srv\\sh\\x.wav"},
        {"file:///C:/x%2.mp3", NULL}, {"file:///C:/x%zz.mp3", NULL}, {"file:///C:/x.mp3%", NULL},
        {"file:///C:/x%00.mp3", NULL}, {"file:///C:/%FF.mp3", NULL}, {"file:///Music/x.mp3", NULL},
        {"file:///C:/x%22 alias y.mp3", NULL}, {"http://example.com/x.mp3", NULL},
        {"https://example.com/x.mp3", NULL}, {"mms://h/x.wma", NULL}, {"D:song.mp3", "D:song.mp3"},
        {"a\" alias x.mp3", NULL}, {"C:\\a\"b.mp3", NULL}};
    for (int utf8 = 0; utf8 < 2; utf8++) {
        for (const Row& row : rows) {
            int slot = list->AddTrack(row.line, utf8);
            if (!row.track) {
                EXPECT_EQ(0, slot) << row.line;
                continue;
            }
            ASSERT_NE(0, slot) << row.line;
            EXPECT_STREQ(row.track, list->tracks[slot - 1]) << row.line;
            bool url = strncasecmp(row.line, "file:", 5) == 0;
            EXPECT_EQ(url || utf8, list->trackIsUtf8[slot - 1] != 0) << row.line;
        }
    }
}

TEST_F(PlaylistTest, WideOpenFallsBackToTheShortName)
{
    std::string path = Write("list.m3u8", heart + ".mp3\nplain.mp3\n");
    list->Load(path.c_str());
    std::string longOpen = "open \"" + Base() + heart + ".mp3\" alias bgm";
    failingOpens = {longOpen};
    list->Play(1);
    EXPECT_EQ((Strings{"stop bgm", "close bgm", longOpen,
                       "open \"" + Base() + "SHORT~1.MP3\" alias bgm", "play bgm from 0"}),
              Texts());
    EXPECT_EQ(0, list->trackFailed[0]);
    // A name that opens is opened once.
    sent.clear();
    list->Play(2);
    EXPECT_EQ((Strings{"stop bgm", "close bgm", "open \"" + Base() + "plain.mp3\" alias bgm",
                       "play bgm from 0"}),
              Texts());
}

TEST_F(PlaylistTest, EveryOpenNamesAWholeLine)
{
    // Quotes, lines past the buffer and lines cut to fit, among good lines.
    std::string text = "a.mp3\n"
                       "x.mp3\" type waveaudio\n"
                       "D:\\" + std::string(1100, 'p') + "\\..\\..\\b.mp3\n"
                       "c.wav\n" +
                       std::string(300, 'q') + "\\..\\d.mp3\n"
                       "e.mp3";
    std::string path = Write("list.m3u", text);
    list->Load(path.c_str());
    Strings opened;
    for (int i = 0; i < 5; i++) {
        statusReplies = {"stopped"};
        list->PlayNext();
    }
    for (const SentCommand& c : sent)
        if (c.text.compare(0, 5, "open ") == 0) opened.push_back(c.text);
    const std::string b = Base();
    EXPECT_EQ((Strings{"open \"" + b + "a.mp3\" alias bgm", "open \"" + b + "c.wav\" alias bgm",
                       "open \"" + b + "e.mp3\" alias bgm", "open \"" + b + "a.mp3\" alias bgm",
                       "open \"" + b + "c.wav\" alias bgm"}),
              opened);
}
