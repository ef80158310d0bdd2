// A recorder around the product's own MCI sender: every command, its result
// and its reply, checked while MCI really plays.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/music/bgm_device.h"
#include "wait_until.h"

struct MciRecord {
    std::string command;  // what the wide entry was given, in UTF-8
    unsigned long result;
    std::string reply;
    bool wide;
};

// What the recorder saw, kept by the recorder alone.
inline std::vector<MciRecord>& MciRecords()
{
    static std::vector<MciRecord> records;
    return records;
}

inline unsigned long RecordMci(const char* command, char* reply, unsigned replyLength)
{
    unsigned long result = bgmDevice.send(command, reply, replyLength);
    MciRecords().push_back(MciRecord{command, result, reply ? reply : "", false});
    return result;
}

inline std::string Utf8(const std::wstring& text)
{
    char out[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out, sizeof out, NULL, NULL);
    return out;
}

inline unsigned long RecordMciWide(const char16_t* command, char* reply, unsigned replyLength)
{
    unsigned long result = bgmDevice.sendWide(command, reply, replyLength);
    std::string text = Utf8((const wchar_t*)command);
    MciRecords().push_back(MciRecord{text, result, reply ? reply : "", true});
    return result;
}

inline const PlaylistDevice recordingDevice = {RecordMci, RecordMciWide, bgmDevice.shortPath,
                                               bgmDevice.ansiToUtf8, bgmDevice.leadByte};
// The playlist the tests play through the recorder.
inline Playlist& RecordedPlaylist()
{
    static Playlist playlist(&recordingDevice);
    return playlist;
}

// Tests with the recorder around the product's sender: no records at the
// start, the music stopped at the end.
class MciRecorderTest : public ::testing::Test {
protected:
    void SetUp() override { MciRecords().clear(); }
    void TearDown() override { RecordedPlaylist().Teardown(); }
};

// The saver's music timer: the first tick loads and asks for the next track
// twice, later ticks once. Ticks every intervalMs until done() or timeoutMs.
template <typename Done>
bool RunMusicTicks(Playlist* list, const std::string& playlistPath, DWORD intervalMs,
                   DWORD timeoutMs, Done done)
{
    list->Load(playlistPath.c_str());
    list->PlayNext();
    return WaitUntil([&] {
        list->PlayNext();
        return done();
    }, timeoutMs, intervalMs);
}

// Open commands recorded so far, in order.
inline std::vector<const MciRecord*> OpenRecords()
{
    std::vector<const MciRecord*> opens;
    for (const MciRecord& r : MciRecords())
        if (r.command.compare(0, 5, "open ") == 0) opens.push_back(&r);
    return opens;
}

inline std::string OpenCommandFor(const std::string& track)
{
    return "open \"" + track + "\" alias bgm";
}
