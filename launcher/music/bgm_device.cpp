// The playlist's link to the platform: MCI string commands through winmm (the
// ANSI and the wide entry), short names, the conversion of ANSI text to UTF-8
// and the lead-byte test of the system's ANSI code page.
#include <windows.h>

#include "launcher/music/bgm_device.h"
#include "launcher/common/ansi_path.h"
#include "launcher/common/system_entry.h"

// winmm (and msacm32 behind it) is loaded with the first command, so that a
// run without music never maps it; without winmm there is no music, silently.
static unsigned long SendToMci(const char* command, char* reply, unsigned replyLength)
{
    static auto mciSendStringA = SYSTEM_ENTRY("winmm.dll", mciSendStringA);
    if (!mciSendStringA) return MCIERR_CANNOT_LOAD_DRIVER;
    return mciSendStringA(command, reply, replyLength, NULL);
}

// The replies the playlist reads are plain ASCII words ("playing").
static unsigned long SendToMciWide(const char16_t* command, char* reply, unsigned replyLength)
{
    static auto mciSendStringW = SYSTEM_ENTRY("winmm.dll", mciSendStringW);
    if (!mciSendStringW) return MCIERR_CANNOT_LOAD_DRIVER;
    WCHAR wideReply[256] = L"";
    UINT wideLength = reply ? (replyLength < 256 ? replyLength : 256) : 0;
    MCIERROR result = mciSendStringW((const WCHAR*)command, reply ? wideReply : NULL,
                                     wideLength, NULL);
    if (reply && replyLength) {
        reply[0] = '\0';
        WideCharToMultiByte(CP_ACP, 0, wideReply, -1, reply, (int)replyLength, NULL, NULL);
        reply[replyLength - 1] = '\0';
    }
    return result;
}

// A short name is asked for only where asking is cheap and means a file: on a
// share that does not answer, the look-up would wait for the server again,
// and a device name would come back as a path that no playlist line held.
static int IsLocalFile(const WCHAR* path)
{
    if (path[0] == 0 || path[1] != L':' || path[2] != L'\\') return 0;
    WCHAR root[] = {path[0], L':', L'\\', 0};
    UINT type = GetDriveTypeW(root);
    if (type == DRIVE_REMOTE || type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) return 0;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static int ShortPath(const char16_t* path, char16_t* shortPath, unsigned length)
{
    if (!IsLocalFile((const WCHAR*)path)) return 0;
    DWORD n = GetShortPathNameW((const WCHAR*)path, (WCHAR*)shortPath, length);
    return n > 0 && n < length;
}

static int AnsiToUtf8(const char* ansi, char* out, unsigned size)
{
    WCHAR wide[1024];
    if (!MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 1024)) return 0;
    return WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, (int)size, NULL, NULL) > 0;
}

// A constant initialiser: set before any constructor runs.
const PlaylistDevice bgmDevice = {SendToMci, SendToMciWide, ShortPath, AnsiToUtf8, AnsiLeadByte};
