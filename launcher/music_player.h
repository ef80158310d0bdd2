// Background music on a thread of its own, ticked by the saver window's music
// timer and stopped by its close.
#pragma once

// The first tick: starts the thread, which loads the playlist and asks for
// the next track twice. 0 when the thread could not start (no music).
int StartMusicPlayer(const char* playlistPath);
// A later tick: the thread asks for the next track once.
void TickMusicPlayer();
// Stops the music (stop, close, "close all" from the thread), waiting a
// moment for it; a thread still blocked in an open is left to the process's end.
void StopMusicPlayer();
