// Background music on a thread that makes every MCI call. An open of a
// track on a share that does not answer blocks for as long as Windows waits
// for the server (20 s and more); the saver's window must still answer the
// first key at once, and the process must still end.
#include <windows.h>

#include "launcher/bgm_device.h"
#include "launcher/music_player.h"

// How long a close waits for the music to stop before it goes on; what an
// open still blocked then holds ends with the process, moments later.
static const DWORD stopWaitMs = 300;

static Playlist bgmPlaylist(&bgmDevice);

struct MusicThread {
    HANDLE thread;
    HANDLE tick;  // auto-reset: ticks that come while an open blocks make one
    HANDLE stop;  // manual-reset
    char playlistPath[1024];
};
static MusicThread music;

static DWORD WINAPI MusicLoop(void*)
{
    bgmPlaylist.Load(music.playlistPath);
    // The first tick plays twice: the second call asks MCI the status, so a
    // first track that will not play gives way to the next at once.
    bgmPlaylist.PlayNext();
    bgmPlaylist.PlayNext();
    HANDLE events[2] = {music.stop, music.tick};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        bgmPlaylist.PlayNext();
    bgmPlaylist.Teardown();
    // The window never signals them once it asked for the stop.
    CloseHandle(music.tick);
    CloseHandle(music.stop);
    return 0;
}

int StartMusicPlayer(const char* playlistPath)
{
    lstrcpynA(music.playlistPath, playlistPath, sizeof music.playlistPath);
    music.tick = CreateEventA(NULL, FALSE, FALSE, NULL);
    music.stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (music.tick && music.stop) music.thread = CreateThread(NULL, 0, MusicLoop, NULL, 0, NULL);
    if (music.thread) return 1;
    if (music.tick) CloseHandle(music.tick);
    if (music.stop) CloseHandle(music.stop);
    return 0;
}

void TickMusicPlayer()
{
    if (music.thread) SetEvent(music.tick);
}

void StopMusicPlayer()
{
    if (!music.thread) return;
    SetEvent(music.stop);
    WaitForSingleObject(music.thread, stopWaitMs);
    CloseHandle(music.thread);
    music.thread = NULL;
}
