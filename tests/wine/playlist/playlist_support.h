// Support for the playlist tests under Wine: a recorder that wraps the product's own MCI sender so that every command, its result and
// its reply can be checked while MCI really plays.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "launcher/playlist.h"
#include "wait_until.h"

struct MciRecord {
    std::string command;
    unsigned long result;
    std::string reply;
};

extern std::vector<MciRecord> mciRecords;
void InstallMciRecorder();   // playlistMciSend = recorder around the original
void RemoveMciRecorder();

// The saver's music timer: the first tick loads and asks for the next track
// twice, later ticks once. Ticks every intervalMs until done() or timeoutMs.
template <typename Done>
bool RunMusicTicks(Playlist* list, const std::string& playlistPath, DWORD intervalMs,
                   DWORD timeoutMs, Done done)
{
    list->Load(playlistPath.c_str());
    list->PlayNext();
    return WaitUntilEvery([&] {
        list->PlayNext();
        return done();
    }, intervalMs, timeoutMs);
}

// Open commands recorded so far, in order.
std::vector<const MciRecord*> OpenRecords();
std::string OpenCommandFor(const std::string& track);
