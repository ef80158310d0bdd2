// The playlist's real device: MCI through winmm, short names, the ANSI code
// page's conversion and lead-byte test.
#pragma once
#include "launcher/music/playlist.h"

extern const PlaylistDevice bgmDevice;
