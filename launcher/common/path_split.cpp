// Splitting paths into drive, directory, name and extension, reading the
// bytes in the ANSI code page: a lead byte always takes the byte after it,
// so a trail byte equal to '\' (0x5C), '/' or '.' never counts as one.
#include "launcher/common/path_split.h"

static int IsLead(LeadByteTest isLead, unsigned char byte)
{
    return isLead && isLead(byte);
}

// Bytes taken by the character at text: 2 for a lead byte followed by a
// trail byte, else 1 (a lead byte right before the end stands alone).
static int CharLength(const char* text, LeadByteTest isLead)
{
    if (IsLead(isLead, (unsigned char)text[0]) && text[1] != '\0') return 2;
    return 1;
}

// Copies text[0..length) into out (256 bytes), cut to at most 255 bytes
// without halving a double-byte character; 1 when nothing was cut.
static int CopyPiece(const char* text, int length, LeadByteTest isLead, char* out)
{
    const int limit = 255;
    int taken = 0;
    while (taken < length) {
        int n = CharLength(text + taken, isLead);
        if (taken + n > length) n = length - taken;
        if (taken + n > limit) break;
        taken += n;
    }
    for (int i = 0; i < taken; i++) out[i] = text[i];
    out[taken] = '\0';
    return taken == length;
}

int SplitPath(const char* path, LeadByteTest isLead, PathParts* out)
{
    const char* rest = path;
    out->drive[0] = '\0';
    if (path[0] != '\0' && path[1] == ':') {
        out->drive[0] = path[0];
        out->drive[1] = ':';
        out->drive[2] = '\0';
        rest = path + 2;
    }

    int nameStart = 0;  // just after the last separator
    int lastDot = -1;
    int end = 0;
    while (rest[end] != '\0') {
        if (IsPathSeparator(rest[end])) {
            nameStart = end + 1;
            lastDot = -1;
        } else if (rest[end] == '.') {
            lastDot = end;
        }
        end += CharLength(rest + end, isLead);
    }
    int extStart = lastDot >= 0 ? lastDot : end;

    int whole = CopyPiece(rest, nameStart, isLead, out->dir);
    whole &= CopyPiece(rest + nameStart, extStart - nameStart, isLead, out->fname);
    whole &= CopyPiece(rest + extStart, end - extStart, isLead, out->ext);
    return whole;
}

const char* LastPathComponent(const char* path, LeadByteTest isLead)
{
    const char* component = path;
    if (path[0] != '\0' && path[1] == ':') component = path + 2;
    for (const char* p = component; *p != '\0'; p += CharLength(p, isLead)) {
        if (IsPathSeparator(*p)) component = p + 1;
    }
    return component;
}

int IsPathSeparator(char c)
{
    return c == '\\' || c == '/';
}
