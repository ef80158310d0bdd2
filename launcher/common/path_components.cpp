// Path forms, with no platform header (see path_components.h).
#include "launcher/common/path_components.h"

static int IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

static size_t ComponentLength(const wchar_t* p)
{
    size_t n = 0;
    while (p[n] && !IsSeparator(p[n])) n++;
    return n;
}

int KeepLongComponents(const wchar_t* longPath, const wchar_t* shortPath, CodePageHolds holds,
                       wchar_t* out, size_t size)
{
    size_t used = 0;
    for (;;) {
        size_t longLength = ComponentLength(longPath), shortLength = ComponentLength(shortPath);
        int keep = longLength == 0 || holds(longPath, (int)longLength);
        const wchar_t* piece = keep ? longPath : shortPath;
        size_t length = keep ? longLength : shortLength;
        if (used + length >= size) return 0;  // no room for the terminator
        for (size_t i = 0; i < length; i++) out[used++] = piece[i];
        longPath += longLength;
        shortPath += shortLength;
        if (!*longPath || !*shortPath) break;
        if (used + 1 >= size) return 0;
        out[used++] = *longPath++;
        shortPath++;
    }
    out[used] = L'\0';
    return !*longPath && !*shortPath;
}

const char* PathWithoutDrive(const char* path)
{
    char letter = (char)(path[0] | 0x20);
    if (letter < 'a' || letter > 'z' || path[1] != ':' || path[2] != '\\') return 0;
    return path + 2;
}
