// The background-music playlist: reads an .m3u or .m3u8 file into a fixed
// table and keeps one track playing through MCI string commands to the alias
// "bgm". The platform's side comes in a PlaylistDevice (bgm_device.cpp, or a
// test's).
#include "launcher/music/playlist.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "launcher/music/playlist_line.h"
#include "launcher/music/utf8_text.h"

// The longest joined track path: a base directory of drive and directory
// (2 + 255) followed by directory, name and extension (255 each).
const int longestTrackPath = 1022;
// "open \"" + path + "\" alias bgm" + NUL, for the longest path.
const int openCommandSize = (int)sizeof("open \"\" alias bgm") + longestTrackPath;
const int mciReplySize = 256;
const int lineSize = 1024;

// Joins a base and the three split pieces into out (1024 bytes); 0 when the
// result would pass the longest track path (a UTF-8 base can be longer than
// its ANSI form), since a cut path would name another file.
static int JoinPath(char* out, const char* base, const char* dir, const char* fname,
                    const char* ext)
{
    const char* pieces[] = {base, dir, fname, ext};
    size_t length = 0;
    for (const char* piece : pieces) {
        for (const char* p = piece; *p != '\0'; p++) {
            if (length == longestTrackPath) return 0;
            out[length++] = *p;
        }
    }
    out[length] = '\0';
    return 1;
}

// The playlist file read in blocks and cut at LF. A line that does not fit
// the line buffer, or holds a NUL, is reported whole as not fitting rather
// than handed on in pieces that would each read as a path.
struct LineReader {
    FILE* file;
    size_t at, end;
    char block[4096];
};

static int FillBlock(LineReader* reader)
{
    reader->at = 0;
    reader->end = fread(reader->block, 1, sizeof reader->block, reader->file);
    return reader->end > 0;
}

static int SkipByteOrderMark(LineReader* reader)
{
    if (!FillBlock(reader) || reader->end < 3) return 0;
    if (memcmp(reader->block, "\xEF\xBB\xBF", 3) != 0) return 0;
    reader->at = 3;
    return 1;
}

// The next line without its LF in line (lineSize bytes); *fits is 0 when it
// did not fit or held a NUL. 0 at the end of the file.
static int NextLine(LineReader* reader, char* line, int* fits)
{
    size_t length = 0;
    int any = 0;
    *fits = 1;
    for (;;) {
        if (reader->at == reader->end && !FillBlock(reader)) break;
        any = 1;
        const char* start = reader->block + reader->at;
        size_t left = reader->end - reader->at;
        const char* lineFeed = (const char*)memchr(start, '\n', left);
        size_t take = lineFeed ? (size_t)(lineFeed - start) : left;
        if (length + take >= (size_t)lineSize || memchr(start, '\0', take)) *fits = 0;
        if (*fits) memcpy(line + length, start, take);
        length += take;
        reader->at += take + (lineFeed ? 1 : 0);
        if (lineFeed) break;
    }
    line[*fits ? length : 0] = '\0';
    return any;
}

// Tracks are files: MCI would open a device (a serial port, the console) as
// readily as a file. The test runs on the path as Windows reads it, in
// Unicode.
static int NamesFile(const PlaylistDevice* device, const char* track, int utf8)
{
    if (utf8) return !NamesDevice(track);
    char unicode[3 * lineSize];
    return device->ansiToUtf8(track, unicode, sizeof unicode) && !NamesDevice(unicode);
}

Playlist::Playlist(const PlaylistDevice* device) : device(device)
{
    for (int i = 0; i < playlistSlots; i++) tracks[i] = NULL;
    for (int i = 0; i < playlistSlots; i++) trackIsUtf8[i] = 0;
    for (int i = 0; i < playlistSlots; i++) trackFailed[i] = 0;
    trackCount = 0;
    currentIndex = 0;
    baseDir[0] = '\0';
    baseDirUtf8[0] = '\0';
}

int Playlist::Load(const char* path)
{
    PathParts parts;
    SplitPath(path, device->leadByte, &parts);
    JoinPath(baseDir, parts.drive, parts.dir, "", "");
    // A directory cut to fit its field would make every relative track name
    // a file in another folder; a double quote (no Windows path has one)
    // would end the name in every open command.
    if (strlen(baseDir) != (size_t)(LastPathComponent(path, device->leadByte) - path) ||
        strchr(baseDir, '"')) {
        baseDir[0] = '\0';
        return trackCount;
    }
    int baseInUtf8 = device->ansiToUtf8(baseDir, baseDirUtf8, sizeof baseDirUtf8);
    if (!baseInUtf8) baseDirUtf8[0] = '\0';

    FILE* file = fopen(path, "r");
    if (!file) return trackCount;
    LineReader reader;
    reader.file = file;
    int utf8 = IsUtf8PlaylistExtension(parts.ext);
    if (SkipByteOrderMark(&reader)) utf8 = 1;
    char line[lineSize];
    int fits;
    // A full table takes no more lines: the rest of a huge or slow file is
    // not read.
    while ((!utf8 || baseInUtf8) && trackCount < playlistSlots &&
           NextLine(&reader, line, &fits)) {
        if (fits && AddTrack(line, utf8)) trackCount++;
    }
    fclose(file);
    return trackCount;
}

int Playlist::AddTrack(const char* line, int utf8)
{
    if (!line) return 0;
    char path[lineSize];
    int pathUtf8;
    if (!TrackLinePath(line, utf8, path, sizeof path, &pathUtf8)) return 0;
    // No UTF-8 byte of a multi-byte character equals '\', '/' or '.'.
    PathParts parts;
    if (!SplitPath(path, pathUtf8 ? NULL : device->leadByte, &parts)) return 0;
    if (parts.ext[0] == '\0') return 0;

    char full[lineSize];
    int joined;
    // Windows reads '/' as a separator: "//server/share" is a network path.
    int network = IsPathSeparator(parts.dir[0]) && IsPathSeparator(parts.dir[1]);
    if (parts.drive[0] != '\0' || network) {
        // Absolute, or a network path: the line as split.
        joined = JoinPath(full, parts.drive, parts.dir, parts.fname, parts.ext);
    } else {
        const char* dir = IsPathSeparator(parts.dir[0]) ? parts.dir + 1 : parts.dir;
        joined = JoinPath(full, pathUtf8 ? baseDirUtf8 : baseDir, dir, parts.fname, parts.ext);
    }
    if (!joined || !NamesFile(device, full, pathUtf8)) return 0;

    size_t length = strlen(full);
    char* track = (char*)malloc(length + 1);
    if (!track) return 0;
    memcpy(track, full, length + 1);
    for (int i = 0; i < playlistSlots; i++) {
        if (!tracks[i]) {
            tracks[i] = track;
            trackIsUtf8[i] = (char)pathUtf8;
            return i + 1;
        }
    }
    free(track);
    return 0;
}

// "open \"path\" alias bgm" in UTF-16, into out (openCommandSize units).
static void WideOpenCommand(const char16_t* path, char16_t* out)
{
    const char16_t* pieces[] = {u"open \"", path, u"\" alias bgm"};
    int length = 0;
    for (const char16_t* piece : pieces) {
        for (const char16_t* p = piece; *p != 0 && length < openCommandSize - 1; p++)
            out[length++] = *p;
    }
    out[length] = 0;
}

static int SameWide(const char16_t* a, const char16_t* b)
{
    while (*a != 0 && *a == *b) a++, b++;
    return *a == *b;
}

// Opens a UTF-8 track through the wide entry; 1 when it opened. Where the
// long name fails, its short name is tried: Wine's MCI opens some names
// outside the code page only by that.
static int OpenWide(const PlaylistDevice* device, const char* track, char* reply,
                    unsigned replyLength)
{
    char16_t path[longestTrackPath + 1];
    char16_t command[openCommandSize];
    if (!Utf8ToUtf16(track, path, longestTrackPath + 1)) return 0;
    WideOpenCommand(path, command);
    if (device->sendWide(command, reply, replyLength) == 0) return 1;
    char16_t shortPath[longestTrackPath + 1];
    if (!device->shortPath(path, shortPath, longestTrackPath + 1)) return 0;
    if (SameWide(shortPath, path)) return 0;
    WideOpenCommand(shortPath, command);
    return device->sendWide(command, reply, replyLength) == 0;
}

int Playlist::Play(int index)
{
    if (index < 1 || index > playlistSlots) return 0;
    CloseBgm();
    const char* track = tracks[index - 1];
    if (!track) return 0;

    char reply[mciReplySize] = "";
    int opened;
    if (trackIsUtf8[index - 1]) {
        opened = OpenWide(device, track, reply, sizeof reply);
        device->sendWide(u"play bgm from 0", reply, sizeof reply);
    } else {
        char command[openCommandSize];
        snprintf(command, sizeof command, "open \"%s\" alias bgm", track);
        opened = device->send(command, reply, sizeof reply) == 0;
        device->send("play bgm from 0", reply, sizeof reply);
    }
    if (!opened) trackFailed[index - 1] = 1;
    currentIndex = index;
    return 1;
}

int Playlist::IsPlaying()
{
    char reply[mciReplySize] = "";
    device->send("status bgm mode", reply, sizeof reply);
    return strcmp(reply, "playing") == 0;
}

// The track after the current one, wrapping after the last, passing over
// those that could not be opened; 0 when every track has failed.
int Playlist::NextTrack()
{
    int index = currentIndex;
    for (int tried = 0; tried < trackCount; tried++) {
        index = index >= trackCount ? 1 : index + 1;
        if (!trackFailed[index - 1]) return index;
    }
    return 0;
}

void Playlist::PlayNext()
{
    // An empty table still closes the device, on track 1.
    int next = trackCount > 0 ? NextTrack() : 1;
    // When no track can be opened (a share that is away, a stick not plugged
    // in) the music ends until the next run.
    if (next == 0) return;
    if (IsPlaying()) return;
    currentIndex = next;
    Play(currentIndex);
}

void Playlist::CloseBgm()
{
    device->send("stop bgm", NULL, 0);
    device->send("close bgm", NULL, 0);
}

void Playlist::Teardown()
{
    CloseBgm();
    device->send("close all", NULL, 0);
    for (int i = 0; i < playlistSlots; i++) {
        free(tracks[i]);
        tracks[i] = NULL;
        trackIsUtf8[i] = 0;
        trackFailed[i] = 0;
    }
    trackCount = 0;
}
