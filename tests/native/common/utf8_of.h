// UTF-16 text (with surrogate pairs) as UTF-8: how the tests read what the
// playlist sends through the wide MCI entry.
#pragma once
#include <string.h>

#include <string>

inline std::string Utf8Of(const char16_t* text)
{
    std::string out;
    for (const char16_t* p = text; *p; p++) {
        unsigned c = *p;
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (*++p - 0xDC00);
        int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        static const unsigned char first[] = {0, 0, 0xC0, 0xE0, 0xF0};
        out += (char)(n == 1 ? c : first[n] | (c >> (6 * (n - 1))));
        for (int i = n - 2; i >= 0; i--) out += (char)(0x80 | ((c >> (6 * i)) & 0x3F));
    }
    return out;
}

// The ANSI code page taken as Latin-1 (every byte one character), as a
// PlaylistDevice's conversion.
inline int Latin1ToUtf8(const char* ansi, char* out, unsigned size)
{
    std::u16string wide;
    for (const char* p = ansi; *p; p++) wide += (char16_t)(unsigned char)*p;
    std::string utf8 = Utf8Of(wide.c_str());
    if (utf8.size() >= size) return 0;
    memcpy(out, utf8.c_str(), utf8.size() + 1);
    return 1;
}
