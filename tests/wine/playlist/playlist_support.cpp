#include "playlist_support.h"

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
