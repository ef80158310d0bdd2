// The background-music playlist: an .m3u file read into a fixed table and
// played one track at a time through MCI string commands to alias "bgm".
// Platform-free: the MCI sender and the lead-byte test are supplied by the
// Windows glue (bgm_device.cpp) or by a test.
#pragma once
#include "launcher/path_split.h"

// Sends one MCI command string; reply may be null with length 0.
typedef unsigned long (*MciSendFn)(const char* command, char* reply, unsigned replyLength);
extern MciSendFn playlistMciSend;
extern LeadByteTest playlistLeadByte;

const int playlistSlots = 2048;

class Playlist {
public:
    Playlist();
    int Load(const char* path);
    int AddTrack(const char* line);
    int Play(int index);
    int IsPlaying();
    void PlayNext();
    void CloseBgm();
    void Teardown();

    char* tracks[playlistSlots];
    int trackCount;
    int currentIndex;
    char baseDir[1024];
};

extern Playlist bgmPlaylist;
