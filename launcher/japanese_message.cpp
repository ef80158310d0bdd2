// The texts are UTF-16 in the string table and go to the wide function, so
// they read as written on any code page.
#include "launcher/japanese_message.h"

#include "host/saver_app.h"
#include "launcher/settings.h"

static const int messageTextSize = 2 * settingsTextSize;  // text, then a path
static const int captionSize = 256;

int ShowJapaneseMessage(HWND owner, UINT textId, const WCHAR* path, UINT captionId, UINT flags)
{
    WCHAR text[messageTextSize] = L"";
    WCHAR caption[captionSize] = L"";
    int used = LoadStringW(moduleInstance, textId, text, messageTextSize);
    if (path) lstrcpynW(text + used, path, messageTextSize - used);
    if (captionId) LoadStringW(moduleInstance, captionId, caption, captionSize);
    return MessageBoxW(owner, text, captionId ? caption : NULL, flags);
}
