// Playlist lines as players write them, with no platform header: '#' lines,
// file URLs (percent-decoded as UTF-8) and other URL schemes.
#include "launcher/music/playlist_line.h"

#include <string.h>

#include "launcher/common/path_split.h"
#include "launcher/music/utf8_text.h"

static int IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

static int IsSchemeChar(char c)
{
    return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// Length of the URL scheme before the ':' that starts the line, or 0. One
// letter and ':' is a drive, not a scheme.
static size_t SchemeLength(const char* line, size_t length)
{
    if (!IsAsciiLetter(line[0])) return 0;
    size_t n = 1;
    while (n < length && IsSchemeChar(line[n])) n++;
    if (n < 2 || n >= length || line[n] != ':') return 0;
    return n;
}

static int SameLetters(const char* text, const char* lower, size_t length)
{
    for (size_t i = 0; i < length; i++) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
        if (c != lower[i]) return 0;
    }
    return 1;
}

static int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Appends text[0..length) percent-decoded, with '/' as '\', to out at *used.
static int AppendDecoded(const char* text, size_t length, char* out, size_t size, size_t* used)
{
    for (size_t i = 0; i < length; i++) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= length) return 0;
            int high = HexValue(text[i + 1]);
            int low = high < 0 ? -1 : HexValue(text[i + 2]);
            if (low < 0) return 0;
            c = (char)(high * 16 + low);
            if (c == '\0') return 0;
            i += 2;
        }
        if (c == '/') c = '\\';
        if (*used + 1 >= size) return 0;
        out[(*used)++] = c;
    }
    out[*used] = '\0';
    return 1;
}

// The path of a file URL, given what follows "file:": file:///C:/x,
// file://localhost/C:/x and file:/C:/x name C:\x; file://server/share/x
// names \\server\share\x. Nothing else is a path the saver can open.
static int FileUrlPath(const char* url, size_t length, char* out, size_t size)
{
    size_t used = 0;
    if (length >= 2 && url[0] == '/' && url[1] == '/') {
        size_t hostEnd = 2;
        while (hostEnd < length && url[hostEnd] != '/') hostEnd++;
        size_t hostLength = hostEnd - 2;
        // file://C:/x and file://C|/x: a drive where the host would stand,
        // as some players write it; not a host named "C:".
        int drive = hostLength == 2 && IsAsciiLetter(url[2]) && (url[3] == ':' || url[3] == '|');
        if (drive) hostEnd = 2;
        if (hostLength == 0 || drive || (hostLength == 9 && SameLetters(url + 2, "localhost", 9))) {
            url += hostEnd;
            length -= hostEnd;
        }
    }
    if (!AppendDecoded(url, length, out, size, &used)) return 0;
    // file:///C:/x, file:////C:/x and the old file:///C|/x all name C:\x; a
    // network path keeps two separators of file://///server/share/x, as
    // some browsers write it.
    size_t lead = strspn(out, "\\");
    int drive = IsAsciiLetter(out[lead]) && (out[lead + 1] == ':' || out[lead + 1] == '|') &&
                out[lead + 2] == '\\';
    size_t drop = drive ? lead : lead > 2 ? lead - 2 : 0;
    memmove(out, out + drop, used - drop + 1);
    if (drive) out[1] = ':';
    int server = out[0] == '\\' && out[1] == '\\' && out[2] != '\0' && out[2] != '\\';
    return drive || server;
}

int TrackLinePath(const char* line, int utf8, char* out, size_t size, int* pathUtf8)
{
    size_t length = strcspn(line, "\n");
    if (length == 0 || line[0] == '#') return 0;
    *pathUtf8 = utf8;
    size_t scheme = SchemeLength(line, length);
    if (scheme) {
        if (scheme != 4 || !SameLetters(line, "file", 4)) return 0;
        if (!FileUrlPath(line + 5, length - 5, out, size)) return 0;
        *pathUtf8 = 1;
    } else {
        if (length >= size) return 0;
        memcpy(out, line, length);
        out[length] = '\0';
    }
    if (strchr(out, '"')) return 0;
    return !*pathUtf8 || IsUtf8(out);
}

// "\\.\..." and "\\?\..." (either separator): device paths. Under "\\?\"
// Windows takes the rest as written, where '/' is no separator, so only a
// drive path written with backslashes ("\\?\C:\x") names a file there.
static int IsDevicePath(const char* path)
{
    if (!IsPathSeparator(path[0]) || !IsPathSeparator(path[1])) return 0;
    if ((path[2] != '.' && path[2] != '?') || !IsPathSeparator(path[3])) return 0;
    int literal = path[0] == '\\' && path[1] == '\\' && path[2] == '?' && path[3] == '\\';
    int drive = IsAsciiLetter(path[4]) && path[5] == ':' && path[6] == '\\' && path[7] != '\0';
    return !(literal && drive && !strchr(path, '/'));
}

// Whether a component (length bytes) is a name Windows keeps for a device
// in every folder, in any case and with any extension.
static int IsDeviceName(const char* name, size_t length)
{
    // Windows takes the name up to its first '.' (or ':'), without trailing
    // blanks.
    size_t n = 0;
    while (n < length && name[n] != '.' && name[n] != ':') n++;
    while (n > 0 && name[n - 1] == ' ') n--;
    static const char* const devices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* device : devices)
        if (n == strlen(device) && SameLetters(name, device, n)) return 1;
    if (n < 4 || !(SameLetters(name, "com", 3) || SameLetters(name, "lpt", 3))) return 0;
    if (n == 4) return name[3] >= '1' && name[3] <= '9';
    // Superscript one to three (U+00B9, U+00B2, U+00B3), which Windows also
    // takes for digits there.
    unsigned char lead = (unsigned char)name[3], digit = (unsigned char)name[4];
    return n == 5 && lead == 0xC2 && (digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

int NamesDevice(const char* path)
{
    if (IsDevicePath(path)) return 1;
    // What ".." cannot pass: a drive, or the server and share of a network
    // path (and "?" and the drive of "\\?\C:\").
    const char* floor = path;
    if (path[0] != '\0' && path[1] == ':') {
        floor = path + 2;
    } else if (IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        floor = path + 2;
        for (int part = 0; part < 2; part++) {
            floor += strcspn(floor, "\\/");
            if (*floor) floor++;
        }
    }
    // The last component Windows keeps, found from the end: "." stays where
    // it is, ".." passes over the component before it, and trailing dots and
    // blanks go (a component of nothing else goes whole).
    const char* end = path + strlen(path);
    int passOver = 0;
    while (end > floor) {
        const char* begin = end;
        while (begin > floor && !IsPathSeparator(begin[-1])) begin--;
        size_t length = (size_t)(end - begin);
        end = begin > floor ? begin - 1 : floor;
        if (length == 1 && begin[0] == '.') continue;
        if (length == 2 && begin[0] == '.' && begin[1] == '.') {
            passOver++;
            continue;
        }
        while (length > 0 && (begin[length - 1] == '.' || begin[length - 1] == ' ')) length--;
        if (length == 0) continue;
        if (passOver > 0) {
            passOver--;
            continue;
        }
        return IsDeviceName(begin, length);
    }
    return 0;
}

int IsUtf8PlaylistExtension(const char* extension)
{
    return strlen(extension) == 5 && SameLetters(extension, ".m3u8", 5);
}
