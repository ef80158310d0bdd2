// The texts are UTF-16 in the string table and go to the wide function, so
// they read as written on any code page.
#include "launcher/common/japanese_message.h"

#include "host/saver_app.h"

static const int messageTextSize = 2048;  // a text, then a path of up to 1024
static const int captionSize = 256;

// LoadStringW is only a stub on the 95 family, so the string table's block
// is read through the resource functions that every Windows has: a block
// holds 16 texts, each a length and that many UTF-16 characters.
int LoadProgramText(UINT id, WCHAR* out, int size)
{
    if (size <= 0) return 0;
    out[0] = L'\0';
    HINSTANCE module = SaverInstance();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id / 16 + 1), (LPCSTR)RT_STRING);
    HGLOBAL loaded = found ? LoadResource(module, found) : NULL;
    const WCHAR* p = loaded ? (const WCHAR*)LockResource(loaded) : NULL;
    if (!p) return 0;
    const WCHAR* end = p + SizeofResource(module, found) / sizeof(WCHAR);
    for (UINT i = 0; i < id % 16 && p < end; i++) p += 1 + *p;
    if (p >= end) return 0;
    int length = *p++;
    if (length > end - p) length = (int)(end - p);
    if (length > size - 1) length = size - 1;
    for (int i = 0; i < length; i++) out[i] = p[i];
    out[length] = L'\0';
    return length;
}

int ShowJapaneseMessage(HWND owner, UINT textId, const WCHAR* path, UINT captionId, UINT flags)
{
    WCHAR text[messageTextSize] = L"";
    WCHAR caption[captionSize] = L"";
    int used = LoadProgramText(textId, text, messageTextSize);
    if (path) lstrcpynW(text + used, path, messageTextSize - used);
    if (captionId) LoadProgramText(captionId, caption, captionSize);
    return MessageBoxW(owner, text, captionId ? caption : NULL, flags);
}
