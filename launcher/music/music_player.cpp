// Background music on a thread that makes every MCI call. An open of a
// track on a share that does not answer blocks for as long as Windows waits
// for the server (20 s and more); the saver's window must still answer the
// first key at once, and the process must still end.
#include "host/saver_app.h"
#include "launcher/music/bgm_device.h"
#include "launcher/common/file_probe.h"
#include "launcher/music/music_player.h"

// How long a close waits for the music to stop before it goes on; a thread
// still inside an open then makes the host end the process without waiting.
static const DWORD stopWaitMs = 300;

// The window's side of the music: the thread and the events it waits on,
// which the window's side closes once the thread has ended (and leaves to
// the process's end when it has not). The thread is handed this at its start.
struct MusicThread {
    HANDLE thread;
    HANDLE tick;  // auto-reset: ticks that come while an open blocks make one
    HANDLE stop;  // manual-reset
    volatile LONG displayOff;
    char playlistPath[1024];
};
static MusicThread music;

// Stops the music with the commands of a close; the tracks stay for the
// display's return.
static void CloseForDisplay(Playlist* playlist)
{
    playlist->CloseBgm();
    bgmDevice.send("close all", NULL, 0);
}

// The thread's own playlist lives on its stack, from the load to the teardown.
static DWORD MusicLoop(void* context)
{
    MusicThread* m = (MusicThread*)context;
    // Asked here, not on the window's thread: a playlist on a share that
    // does not answer holds only the music.
    if (!FileExists(m->playlistPath)) return 0;
    Playlist playlist(&bgmDevice);
    playlist.Load(m->playlistPath);
    // The first tick plays twice: the second call asks MCI the status, so a
    // first track that will not play gives way to the next at once.
    int plays = 2;
    BOOL deviceUsed = FALSE;
    HANDLE events[2] = {m->stop, m->tick};
    do {
        if (m->displayOff) {
            if (deviceUsed) CloseForDisplay(&playlist);
            deviceUsed = FALSE;
            continue;
        }
        // Back from a display that was off, this is the next track.
        for (; plays > 0; plays--) playlist.PlayNext();
        plays = 1;
        deviceUsed = TRUE;
    } while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1);
    playlist.Teardown();
    return 0;
}

int StartMusicPlayer(const char* playlistPath)
{
    lstrcpynA(music.playlistPath, playlistPath, sizeof music.playlistPath);
    music.tick = CreateEventA(NULL, FALSE, FALSE, NULL);
    music.stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (music.tick && music.stop) music.thread = StartSaverThread(MusicLoop, &music);
    if (music.thread) return 1;
    if (music.tick) CloseHandle(music.tick);
    if (music.stop) CloseHandle(music.stop);
    return 0;
}

int TickMusicPlayer()
{
    if (!music.thread || WaitForSingleObject(music.thread, 0) != WAIT_TIMEOUT) return 0;
    SetEvent(music.tick);
    return 1;
}

void SetMusicDisplay(int on)
{
    LONG off = on ? 0 : 1;
    if (InterlockedExchange(&music.displayOff, off) != off && music.thread) SetEvent(music.tick);
}

void StopMusicPlayer()
{
    if (!music.thread) return;
    SetEvent(music.stop);
    if (WaitForSingleObject(music.thread, stopWaitMs) == WAIT_OBJECT_0) {
        CloseHandle(music.tick);
        CloseHandle(music.stop);
    }
    CloseHandle(music.thread);
    music.thread = NULL;
}
