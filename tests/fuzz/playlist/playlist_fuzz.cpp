// Arbitrary bytes as a playlist path, as playlist lines and as a playlist
// file, in the ANSI code page or in UTF-8. ASan catches writes outside a
// buffer; the checks below catch stored paths longer than the joined-path
// limit, tracks that are not a whole line's path (a piece of a long line, a
// name cut to fit), tracks that Windows would open as a device, and open
// commands that were cut or carry extra quotes.
//
// Input: byte 0 picks the lead-byte rule and the encoding; up to the first
// 0x00 is the path whose directory becomes the base; the rest is the
// playlist's text.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "launcher/music/playlist.h"
#include "tests/native/common/lead_bytes.h"
#include "tests/native/common/utf8_of.h"

static int EveryHighByteLeads(unsigned char b) { return b >= 0x80; }

static Playlist* list;
static std::vector<std::string> wholeLines;  // the lines of the current input

// An open command must carry one stored track whole, between its only two quotes.
static void CheckOpen(const std::string& command)
{
    size_t quotes = 0;
    for (char c : command) quotes += c == '"';
    if (quotes != 2) abort();
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

// Every wide open fails, so that the short-name retry runs too (there is none).
static unsigned long CheckMciWide(const char16_t* command, char* reply, unsigned replyLength)
{
    CheckMci(Utf8Of(command).c_str(), reply, replyLength);
    return 275;
}

static int NoShortPath(const char16_t*, char16_t*, unsigned) { return 0; }

static PlaylistDevice device = {CheckMci, CheckMciWide, NoShortPath, Latin1ToUtf8, Cp932Lead};

static int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    c = (char)(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// A file URL's text percent-decoded with '\' for '/' (empty when it cannot be).
static std::string DecodedUrl(const std::string& url)
{
    std::string out;
    for (size_t i = 0; i < url.size(); i++) {
        char c = url[i];
        if (c == '%') {
            if (i + 2 >= url.size() || HexValue(url[i + 1]) < 0 || HexValue(url[i + 2]) < 0)
                return "";
            c = (char)(HexValue(url[i + 1]) * 16 + HexValue(url[i + 2]));
            i += 2;
        }
        out += c == '/' ? '\\' : c;
    }
    return out;
}

static bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Whether a stored track is the path of one whole line: the line itself, the
// line joined to the base (less a leading separator), or the absolute path
// at the end of a decoded file URL (whose drive may be written "C|").
static bool IsWholeLinePath(const std::string& track, const std::string& base)
{
    std::string piped = track.size() > 1 ? track.substr(0, 1) + "|" + track.substr(2) : track;
    for (const std::string& line : wholeLines) {
        if (track == line || track == base + line) return true;
        if (!line.empty() && strchr("\\/", line[0]) && track == base + line.substr(1)) return true;
        bool absolute = (track.size() > 2 && track[1] == ':') || track.compare(0, 2, "\\\\") == 0;
        if (line.size() > 5 && strncasecmp(line.c_str(), "file:", 5) == 0 && absolute) {
            std::string url = DecodedUrl(line.substr(5));
            if (EndsWith(url, track) || EndsWith(url, piped)) return true;
        }
    }
    return false;
}

// Whether Windows opens a device for a track (UTF-8), worked out apart from
// the product: a reserved name is the last component that "." and ".." leave
// (not past a drive, server or share), less trailing dots and blanks.
static bool OpensDevice(std::string path)
{
    static const std::regex device(
        "(con|prn|aux|nul|conin\\$|conout\\$|(com|lpt)([1-9]|\xC2[\xB9\xB2\xB3]))"
        " *([.:][\\s\\S]*)?",
        std::regex::icase);
    std::replace(path.begin(), path.end(), '/', '\\');
    size_t root = path.compare(0, 2, "\\\\") == 0 ? 2 : 0;
    std::vector<std::string> kept;
    std::stringstream parts(path.substr(path[0] && path[1] == ':' ? 2 : 0));
    for (std::string part; std::getline(parts, part, '\\');) {
        if (part == ".." && kept.size() > root) kept.pop_back();
        part.erase(part == ".." ? 0 : part.find_last_not_of(". ") + 1);
        if (!part.empty()) kept.push_back(part);
    }
    return kept.size() > root && std::regex_match(kept.back(), device);
}

// The whole lines of text, as the reader cuts them; the first also without
// a byte-order mark, and the text's start up to a NUL.
static void CollectLines(const std::string& text)
{
    wholeLines.clear();
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        wholeLines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) wholeLines.push_back(wholeLines[0].substr(3));
    std::string start(text.c_str());
    wholeLines.push_back(start.substr(0, start.find('\n')));
}

static void CheckTracksAndPlay()
{
    for (int i = 0; i < playlistSlots; i++) {
        if (!list->tracks[i]) continue;
        if (strlen(list->tracks[i]) > 1022) abort();
        std::string base = list->trackIsUtf8[i] ? list->baseDirUtf8 : list->baseDir;
        if (!IsWholeLinePath(list->tracks[i], base)) abort();
        char unicode[3 * 1024];
        if (!list->trackIsUtf8[i] && !Latin1ToUtf8(list->tracks[i], unicode, sizeof unicode)) abort();
        if (OpensDevice(list->trackIsUtf8[i] ? list->tracks[i] : unicode)) abort();
    }
    for (int i = 1; i <= playlistSlots; i++) {
        if (!list->tracks[i - 1]) continue;
        list->Play(i);
    }
    list->PlayNext();
}

// Each whole line, however long; a line with a NUL never reaches AddTrack
// from a file.
static void OfferLines(const std::string& text, int utf8)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(at, end - at);
        if (line.find('\0') == std::string::npos) list->AddTrack(line.c_str(), utf8);
        at = end;
    }
}

static std::string WriteTemp(const std::string& text, int utf8)
{
    char path[] = "/tmp/playlist_fuzz_XXXXXX.m3u8";
    if (!utf8) path[sizeof path - 2] = '\0';  // .m3u
    int fd = mkstemps(path, utf8 ? 5 : 4);
    if (fd < 0) abort();
    if (write(fd, text.data(), text.size()) != (ssize_t)text.size()) abort();
    close(fd);
    return path;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    static const LeadByteTest rules[] = {Cp932Lead, EveryHighByteLeads, NoLead};
    device.leadByte = rules[data[0] % 3];
    int utf8 = (data[0] / 3) % 2;
    std::string rest((const char*)data + 1, size - 1);
    size_t nul = rest.find('\0');
    std::string basePath = nul == std::string::npos ? rest : rest.substr(0, nul);
    std::string text = nul == std::string::npos ? std::string() : rest.substr(nul + 1);

    if (!list) list = new Playlist(&device);
    CollectLines(text);

    // A path in a folder that does not exist: only the base is taken.
    list->Load(("\x01no such folder\x01/" + basePath + "\x01").c_str());
    if (strlen(list->baseDir) > 257) abort();
    list->Load((basePath + "\x01/\x01no such file\x01").c_str());
    if (strlen(list->baseDir) > 257) abort();
    OfferLines(text, utf8);
    list->AddTrack(text.c_str(), utf8);  // the first line, up to the first NUL
    CheckTracksAndPlay();
    list->Teardown();

    // The text as a playlist file.
    std::string file = WriteTemp(text, utf8);
    int count = list->Load(file.c_str());
    unlink(file.c_str());
    if (count < 0 || count > playlistSlots) abort();
    CheckTracksAndPlay();
    list->Teardown();
    return 0;
}
