// The playlist's link to the platform: MCI string commands through winmm and
// the lead-byte test of the system's ANSI code page.
#include <windows.h>

#include "launcher/playlist.h"

static unsigned long SendToMci(const char* command, char* reply, unsigned replyLength)
{
    return mciSendStringA(command, reply, replyLength, NULL);
}

static int IsAnsiLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) ? 1 : 0;
}

// Constant initialisers: set before any constructor runs.
MciSendFn playlistMciSend = SendToMci;
LeadByteTest playlistLeadByte = IsAnsiLeadByte;
