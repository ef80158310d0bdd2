// The texts are kept as Shift_JIS bytes; MessageBoxA would read them in the
// system's code page and show garbage outside Japan, so they are converted
// from 932 explicitly and shown through the wide function.
#include "launcher/japanese_message.h"

#include "launcher/settings.h"

static const UINT japaneseCodePage = 932;
static const int messageTextSize = 2 * settingsTextSize;  // text, then a path

// Appends bytes of the given code page to a wide buffer; 0 when they do not
// convert or fit.
static int AppendWide(WCHAR* out, int* used, int size, const char* bytes, UINT codePage)
{
    int length = lstrlenA(bytes);
    if (length == 0) return 1;
    int n = MultiByteToWideChar(codePage, 0, bytes, length, out + *used, size - 1 - *used);
    if (n == 0) return 0;
    *used += n;
    out[*used] = L'\0';
    return 1;
}

int ShowJapaneseMessage(HWND owner, const char* text, const char* path, const char* caption,
                        UINT flags)
{
    WCHAR wideText[messageTextSize] = L"";
    WCHAR wideCaption[256] = L"";
    int textUsed = 0, captionUsed = 0;
    int ok = AppendWide(wideText, &textUsed, messageTextSize, text, japaneseCodePage);
    if (ok && path) ok = AppendWide(wideText, &textUsed, messageTextSize, path, CP_ACP);
    if (ok && caption) ok = AppendWide(wideCaption, &captionUsed, 256, caption, japaneseCodePage);
    if (ok) return MessageBoxW(owner, wideText, caption ? wideCaption : NULL, flags);
    // No 932 table on this system: the bytes as they are, as before.
    char joined[messageTextSize];
    lstrcpynA(joined, text, messageTextSize);
    if (path) lstrcpynA(joined + lstrlenA(joined), path, messageTextSize - lstrlenA(joined));
    return MessageBoxA(owner, joined, caption, flags);
}
