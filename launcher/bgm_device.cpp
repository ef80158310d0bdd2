// The playlist's link to the platform: MCI string commands through winmm and
// the lead-byte test of the system's ANSI code page.
#include <windows.h>

#include "launcher/playlist.h"
#include "launcher/system_entry.h"

// winmm (and msacm32 behind it) is loaded with the first command, so that a
// run without music never maps it; without winmm there is no music, silently.
static unsigned long SendToMci(const char* command, char* reply, unsigned replyLength)
{
    static auto mciSendStringA = SYSTEM_ENTRY("winmm.dll", mciSendStringA);
    if (!mciSendStringA) return MCIERR_CANNOT_LOAD_DRIVER;
    return mciSendStringA(command, reply, replyLength, NULL);
}

static int IsAnsiLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) ? 1 : 0;
}

// Constant initialisers: set before any constructor runs.
MciSendFn playlistMciSend = SendToMci;
LeadByteTest playlistLeadByte = IsAnsiLeadByte;
