// Stored with '?' in place of what the code page cannot hold, a path would
// name no file, and the accessory, music or external saver would later fail
// without a word; so such a path is stored by its short names where needed.
#include "launcher/common/ansi_path.h"

#include <string.h>

#include "launcher/common/path_components.h"

static const int widePathSize = 1024;

// The bytes of length characters of text (-1: to its end, terminated).
static BOOL ExactBytes(const WCHAR* text, int length, char* out, int size)
{
    WCHAR back[widePathSize];
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, out, size, NULL, NULL);
    if (bytes <= 0) return FALSE;
    int chars = MultiByteToWideChar(CP_ACP, 0, out, bytes, back, widePathSize);
    if (chars <= 0) return FALSE;
    if (length < 0) length = chars;
    return chars == length && memcmp(back, text, length * sizeof(WCHAR)) == 0;
}

static int HoldsPiece(const wchar_t* text, int length)
{
    char bytes[2 * widePathSize];
    return ExactBytes(text, length, bytes, sizeof bytes);
}

BOOL AnsiHolds(const WCHAR* text)
{
    return !text[0] || HoldsPiece(text, -1);
}

// The exact bytes, when they also fit in size.
static BOOL FittingBytes(const WCHAR* text, char* bytes, int size)
{
    char all[2 * widePathSize];
    if (!ExactBytes(text, -1, all, sizeof all) || lstrlenA(all) >= size) return FALSE;
    lstrcpyA(bytes, all);
    return TRUE;
}

BOOL AnsiPathForm(const WCHAR* path, char* out, int size)
{
    if (FittingBytes(path, out, size)) return TRUE;
    WCHAR shortPath[widePathSize], mended[widePathSize];
    DWORD length = GetShortPathNameW(path, shortPath, widePathSize);
    return length > 0 && length < (DWORD)widePathSize &&
           KeepLongComponents(path, shortPath, HoldsPiece, mended, widePathSize) &&
           FittingBytes(mended, out, size);
}

BOOL ProgramPathAnsi(char* out, int size)
{
    WCHAR path[widePathSize];
    DWORD length = GetModuleFileNameW(NULL, path, widePathSize);
    if (length > 0 && length < (DWORD)widePathSize) return AnsiPathForm(path, out, size);
    // The 95 family has only the ANSI entry, and only names of its code page.
    length = GetModuleFileNameA(NULL, out, size);
    return length > 0 && length < (DWORD)size;
}

int AnsiLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) ? 1 : 0;
}
