// Support for the playlist tests under Wine: tone files, and a recorder that
// wraps the product's own MCI sender so that every command, its result and
// its reply can be checked while MCI really plays.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "launcher/playlist.h"

// A PCM WAV file (8 kHz, 8 bits, mono) with a tone of the given length.
bool WriteToneWav(const std::string& path, int hertz, int milliseconds);

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
    DWORD start = GetTickCount();
    for (;;) {
        list->PlayNext();
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(intervalMs);
    }
}

// Open commands recorded so far, in order.
std::vector<const MciRecord*> OpenRecords();
std::string OpenCommandFor(const std::string& track);
