// The background-music playlist: an .m3u or .m3u8 file read into a fixed
// table and played one track at a time through MCI string commands to alias
// "bgm". Platform-free: the MCI senders, the lead-byte test, the short-name
// lookup and the code-page conversion come in a PlaylistDevice, the Windows
// glue's (bgm_device.cpp) or a test's.
#pragma once
#include "launcher/common/path_split.h"

// Sends one MCI command string; reply may be null with length 0.
typedef unsigned long (*MciSendFn)(const char* command, char* reply, unsigned replyLength);
// The same through the wide entry, for names outside the ANSI code page;
// the reply (plain ASCII words) comes back as bytes.
typedef unsigned long (*MciSendWideFn)(const char16_t* command, char* reply, unsigned replyLength);
// The short (8.3) form of an existing file's path on a local drive; 0 when
// there is none.
typedef int (*ShortPathFn)(const char16_t* path, char16_t* shortPath, unsigned length);
// An ANSI string as UTF-8 into out (size bytes); 0 when it does not fit.
typedef int (*AnsiToUtf8Fn)(const char* ansi, char* out, unsigned size);

struct PlaylistDevice {
    MciSendFn send;
    MciSendWideFn sendWide;
    ShortPathFn shortPath;
    AnsiToUtf8Fn ansiToUtf8;
    LeadByteTest leadByte;
};

const int playlistSlots = 2048;

class Playlist {
public:
    explicit Playlist(const PlaylistDevice* device);
    int Load(const char* path);
    // utf8: the line comes from a UTF-8 playlist.
    int AddTrack(const char* line, int utf8 = 0);
    int Play(int index);
    int IsPlaying();
    void PlayNext();
    int NextTrack();
    void CloseBgm();
    void Teardown();

    char* tracks[playlistSlots];
    int trackCount;
    int currentIndex;
    char baseDir[1024];
    // Which tracks are UTF-8 (played through the wide entry), and the base
    // directory in UTF-8 for the relative ones.
    char trackIsUtf8[playlistSlots];
    char baseDirUtf8[1024];
    // Tracks that could not be opened: each costs one try a run (an open on
    // a share that does not answer blocks for 20 s and more), and when every
    // track has failed the music ends.
    char trackFailed[playlistSlots];
    const PlaylistDevice* device;
};
