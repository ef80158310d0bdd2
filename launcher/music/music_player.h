// Background music on a thread of its own, ticked by the saver window's music
// timer and stopped by its close.
#pragma once

// The first tick: starts the thread, which plays nothing when the playlist
// file is not there, and otherwise loads it and asks for the next track
// twice. 0 when the thread could not start (no music).
int StartMusicPlayer(const char* playlistPath);
// A later tick: the thread asks for the next track once. 0 when the thread
// has ended (no playlist file): no more ticks are needed.
int TickMusicPlayer();
// The display went off (0) or on (1): off stops the music and closes its
// device; while off no track opens; on goes on with the next track.
void SetMusicDisplay(int on);
// Stops the music (stop, close, "close all" from the thread), waiting a
// moment for it; a thread still blocked in an open is left to the process's end.
void StopMusicPlayer();
