// Strict UTF-8 decoding, with no platform header.
#include "launcher/music/utf8_text.h"

// Bytes taken by the character at p and its code point in *point; 0 when the
// bytes there are not one well-formed character.
static int NextCodePoint(const unsigned char* p, unsigned* point)
{
    unsigned first = p[0];
    if (first < 0x80) {
        *point = first;
        return 1;
    }
    int length;
    unsigned least;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
        least = 0x80;
        *point = first & 0x1F;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        least = 0x800;
        *point = first & 0x0F;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        least = 0x10000;
        *point = first & 0x07;
    } else {
        return 0;
    }
    for (int i = 1; i < length; i++) {
        if ((p[i] & 0xC0) != 0x80) return 0;  // also stops at the NUL
        *point = (*point << 6) | (p[i] & 0x3F);
    }
    if (*point < least || *point > 0x10FFFF) return 0;
    if (*point >= 0xD800 && *point <= 0xDFFF) return 0;
    return length;
}

int IsUtf8(const char* text)
{
    const unsigned char* p = (const unsigned char*)text;
    unsigned point;
    while (*p) {
        int n = NextCodePoint(p, &point);
        if (!n) return 0;
        p += n;
    }
    return 1;
}

int Utf8ToUtf16(const char* text, char16_t* out, size_t length)
{
    const unsigned char* p = (const unsigned char*)text;
    size_t used = 0;
    unsigned point;
    while (*p) {
        int n = NextCodePoint(p, &point);
        if (!n) return 0;
        p += n;
        size_t units = point >= 0x10000 ? 2 : 1;
        if (used + units >= length) return 0;
        if (units == 2) {
            point -= 0x10000;
            out[used++] = (char16_t)(0xD800 + (point >> 10));
            out[used++] = (char16_t)(0xDC00 + (point & 0x3FF));
        } else {
            out[used++] = (char16_t)point;
        }
    }
    if (used >= length) return 0;
    out[used] = 0;
    return 1;
}
