// Arbitrary bytes as a playlist path, as playlist lines and as a playlist
// file. ASan catches writes outside a buffer; the checks below catch stored
// paths longer than the joined-path limit and open commands that were cut.
//
// Input: byte 0 picks the lead-byte rule; up to the first 0x00 is the path
// whose directory becomes the base; the rest is the playlist's text.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "launcher/playlist.h"
#include "tests/native/common/lead_bytes.h"

static int EveryHighByteLeads(unsigned char b) { return b >= 0x80; }

static Playlist* list;

// An open command must carry one stored track whole.
static void CheckOpen(const char* command)
{
    for (int i = 0; i < playlistSlots; i++) {
        if (list->tracks[i] &&
            command == std::string("open \"") + list->tracks[i] + "\" alias bgm")
            return;
    }
    abort();
}

static unsigned long CheckMci(const char* command, char* reply, unsigned replyLength)
{
    if (strncmp(command, "open ", 5) == 0) CheckOpen(command);
    if (reply && replyLength) {
        memset(reply, 0, replyLength);
    }
    return 0;
}

MciSendFn playlistMciSend = CheckMci;
LeadByteTest playlistLeadByte = Cp932Lead;

static void CheckTracksAndPlay()
{
    for (int i = 0; i < playlistSlots; i++) {
        if (!list->tracks[i]) continue;
        if (strlen(list->tracks[i]) > 1022) abort();
    }
    for (int i = 1; i <= 3 && i <= playlistSlots; i++) {
        if (!list->tracks[i - 1]) continue;
        list->Play(i);
    }
    list->PlayNext();
}

// The same pieces that fgets into 1024 bytes would give.
static void OfferLines(const std::string& text)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && end - at < 1023) {
            if (text[end++] == '\n') break;
        }
        list->AddTrack(text.substr(at, end - at).c_str());
        at = end;
    }
}

static std::string WriteTemp(const std::string& text)
{
    char path[] = "/tmp/playlist_fuzz_XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) abort();
    if (write(fd, text.data(), text.size()) != (ssize_t)text.size()) abort();
    close(fd);
    return path;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    static const LeadByteTest rules[] = {Cp932Lead, EveryHighByteLeads, NoLead};
    playlistLeadByte = rules[data[0] % 3];
    std::string rest((const char*)data + 1, size - 1);
    size_t nul = rest.find('\0');
    std::string basePath = nul == std::string::npos ? rest : rest.substr(0, nul);
    std::string text = nul == std::string::npos ? std::string() : rest.substr(nul + 1);

    if (!list) list = new Playlist();

    // A path in a folder that does not exist: only the base is taken.
    list->Load(("\x01no such folder\x01/" + basePath + "\x01").c_str());
    if (strlen(list->baseDir) > 257) abort();
    list->Load((basePath + "\x01/\x01no such file\x01").c_str());
    if (strlen(list->baseDir) > 257) abort();
    OfferLines(text);
    list->AddTrack(text.c_str());  // one long line, up to its first NUL
    CheckTracksAndPlay();
    list->Teardown();

    // The text as a playlist file.
    std::string file = WriteTemp(text);
    int count = list->Load(file.c_str());
    unlink(file.c_str());
    if (count < 0 || count > playlistSlots) abort();
    CheckTracksAndPlay();
    list->Teardown();
    return 0;
}
