#include "launcher/dialog/version_text.h"

#include <stdio.h>
#include <string.h>

static int IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int VersionPieceValue(const char* piece)
{
    while (IsBlank(*piece)) ++piece;
    int negative = 0;
    if (*piece == '+' || *piece == '-') negative = *piece++ == '-';
    // Unsigned arithmetic: an absurdly long number wraps instead of overflowing.
    unsigned value = 0;
    while (*piece >= '0' && *piece <= '9') value = value * 10u + (unsigned)(*piece++ - '0');
    return (int)(negative ? 0u - value : value);
}

int ParseVersionParts(char* text, int parts[versionPartCount])
{
    int stored = 0;
    char* cursor = text;
    while (*cursor && stored < versionPartCount) {
        while (*cursor == ',') ++cursor;
        if (!*cursor) break;
        char* piece = cursor;
        while (*cursor && *cursor != ',') ++cursor;
        if (*cursor) *cursor++ = '\0';
        parts[stored++] = VersionPieceValue(piece);
    }
    return stored;
}

void FormatVersionLine(char out[versionLineSize], const int parts[versionPartCount],
                       const char* notice)
{
    memset(out, 0, versionLineSize);
    // One byte short of the buffer: the zeroed last byte ends the text even
    // where the runtime's snprintf does not terminate a cut text.
    snprintf(out, versionLineSize - 1, "velkaro_ss_launcher ver%d.%02d (build%04d)\n%s", parts[0],
             parts[1], parts[2], notice);
}
