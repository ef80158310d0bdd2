// The seams of the playlist for the native benchmark build, where there is no
// Windows glue. Weak, so that a definition in the playlist's own file wins.
#include "launcher/playlist.h"

__attribute__((weak)) MciSendFn playlistMciSend = 0;
__attribute__((weak)) MciSendWideFn playlistMciSendWide = 0;
__attribute__((weak)) ShortPathFn playlistShortPath = 0;
__attribute__((weak)) AnsiToUtf8Fn playlistAnsiToUtf8 = 0;
__attribute__((weak)) LeadByteTest playlistLeadByte = 0;
