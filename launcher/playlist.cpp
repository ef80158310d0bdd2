// The background-music playlist: reads an .m3u file into a fixed table and
// keeps one track playing through MCI string commands to the alias "bgm".
// The MCI sender and the lead-byte test come from bgm_device.cpp (or a test).
#include "launcher/playlist.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

Playlist bgmPlaylist;

// The longest joined track path: a base directory of drive and directory
// (2 + 255) followed by directory, name and extension (255 each).
const int longestTrackPath = 1022;
// "open \"" + path + "\" alias bgm" + NUL, for the longest path.
const int openCommandSize = (int)sizeof("open \"\" alias bgm") + longestTrackPath;
const int mciReplySize = 256;

// Joins a base and the three split pieces into a 1024-byte buffer; they
// never exceed it (at most 257 + 3 * 255 bytes), but the copy is bounded.
static void JoinPath(char* out, const char* base, const char* dir, const char* fname,
                     const char* ext)
{
    const char* pieces[] = {base, dir, fname, ext};
    size_t length = 0;
    for (const char* piece : pieces) {
        for (const char* p = piece; *p != '\0' && length < 1023; p++) out[length++] = *p;
    }
    out[length] = '\0';
}

Playlist::Playlist()
{
    for (int i = 0; i < playlistSlots; i++) tracks[i] = NULL;
    trackCount = 0;
    currentIndex = 0;
    baseDir[0] = '\0';
}

int Playlist::Load(const char* path)
{
    PathParts parts;
    SplitPath(path, playlistLeadByte, &parts);
    JoinPath(baseDir, parts.drive, parts.dir, "", "");

    FILE* file = fopen(path, "r");
    if (!file) return trackCount;
    char line[1024];
    while (fgets(line, sizeof line, file)) {
        if (AddTrack(line)) trackCount++;
    }
    fclose(file);
    return trackCount;
}

int Playlist::AddTrack(const char* line)
{
    if (!line) return 0;
    PathParts parts;
    SplitPath(line, playlistLeadByte, &parts);
    if (parts.ext[0] == '\0') return 0;
    char* lineFeed = strchr(parts.ext, '\n');
    if (lineFeed) *lineFeed = '\0';

    char full[1024];
    if (parts.drive[0] != '\0' || (parts.dir[0] == '\\' && parts.dir[1] == '\\')) {
        // Absolute, or a network path: the line as split.
        JoinPath(full, parts.drive, parts.dir, parts.fname, parts.ext);
    } else {
        const char* dir = parts.dir[0] == '\\' ? parts.dir + 1 : parts.dir;
        JoinPath(full, baseDir, dir, parts.fname, parts.ext);
    }

    size_t length = strlen(full);
    char* track = (char*)malloc(length + 1);
    if (!track) return 0;
    memcpy(track, full, length + 1);
    for (int i = 0; i < playlistSlots; i++) {
        if (!tracks[i]) {
            tracks[i] = track;
            return i + 1;
        }
    }
    free(track);
    return 0;
}

int Playlist::Play(int index)
{
    if (index < 1 || index > playlistSlots) return 0;
    CloseBgm();
    const char* track = tracks[index - 1];
    if (!track) return 0;

    char command[openCommandSize];
    snprintf(command, sizeof command, "open \"%s\" alias bgm", track);
    char reply[mciReplySize] = "";
    playlistMciSend(command, reply, sizeof reply);
    playlistMciSend("play bgm from 0", reply, sizeof reply);
    currentIndex = index;
    return 1;
}

int Playlist::IsPlaying()
{
    char reply[mciReplySize] = "";
    playlistMciSend("status bgm mode", reply, sizeof reply);
    return strcmp(reply, "playing") == 0;
}

void Playlist::PlayNext()
{
    if (IsPlaying()) return;
    currentIndex++;
    if (currentIndex > trackCount) currentIndex = 1;
    Play(currentIndex);
}

void Playlist::CloseBgm()
{
    playlistMciSend("stop bgm", NULL, 0);
    playlistMciSend("close bgm", NULL, 0);
}

void Playlist::Teardown()
{
    CloseBgm();
    playlistMciSend("close all", NULL, 0);
    for (int i = 0; i < playlistSlots; i++) {
        free(tracks[i]);
        tracks[i] = NULL;
    }
    trackCount = 0;
}
