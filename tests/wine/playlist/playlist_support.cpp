#include "playlist_support.h"

#include <stdio.h>
#include <string.h>

#include <cmath>

#include "test_support.h"

std::vector<MciRecord> mciRecords;
static MciSendFn originalSend;

static unsigned long RecordMci(const char* command, char* reply, unsigned replyLength)
{
    unsigned long result = originalSend(command, reply, replyLength);
    mciRecords.push_back(MciRecord{command, result, reply ? reply : ""});
    return result;
}

void InstallMciRecorder()
{
    mciRecords.clear();
    if (playlistMciSend != RecordMci) originalSend = playlistMciSend;
    playlistMciSend = RecordMci;
}

void RemoveMciRecorder()
{
    if (playlistMciSend == RecordMci) playlistMciSend = originalSend;
}

static void PutU32(std::string* s, unsigned v)
{
    for (int i = 0; i < 4; i++) s->push_back((char)((v >> (8 * i)) & 0xFF));
}

static void PutU16(std::string* s, unsigned v)
{
    s->push_back((char)(v & 0xFF));
    s->push_back((char)((v >> 8) & 0xFF));
}

bool WriteToneWav(const std::string& path, int hertz, int milliseconds)
{
    const unsigned rate = 8000;
    unsigned count = rate * milliseconds / 1000;
    std::string data;
    for (unsigned i = 0; i < count; i++) {
        double v = std::sin(2 * 3.14159265358979 * hertz * i / rate);
        data.push_back((char)(unsigned char)(128 + 60 * v));
    }
    std::string file = "RIFF";
    PutU32(&file, 36 + count);
    file += "WAVEfmt ";
    PutU32(&file, 16);
    PutU16(&file, 1);      // PCM
    PutU16(&file, 1);      // mono
    PutU32(&file, rate);
    PutU32(&file, rate);   // bytes per second
    PutU16(&file, 1);      // block align
    PutU16(&file, 8);      // bits per sample
    file += "data";
    PutU32(&file, count);
    file += data;
    return WriteFileBytes(path, file);
}

std::vector<const MciRecord*> OpenRecords()
{
    std::vector<const MciRecord*> opens;
    for (const MciRecord& r : mciRecords) {
        if (r.command.compare(0, 5, "open ") == 0) opens.push_back(&r);
    }
    return opens;
}

std::string OpenCommandFor(const std::string& track)
{
    return "open \"" + track + "\" alias bgm";
}
