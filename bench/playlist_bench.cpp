// Playlist load benchmark: time to read a playlist of many long lines into the
// track table, built natively (g++ -O2) and for Windows from the same source.
//   playlist_bench make FILE TRACKS [utf8]   writes a playlist of TRACKS lines
//                                     of about 440 bytes each, every one a
//                                     track; with utf8 its non-ASCII name (曲)
//                                     in UTF-8 (for a .m3u8), else in Shift_JIS
//   playlist_bench load FILE LOADS    loads it LOADS times (each load into an
//                                     empty table), prints the median
// MCI is replaced by a no-op sender: only the reading and joining is timed.
#include "launcher/music/playlist.h"
#ifdef _WIN32
#include "launcher/music/bgm_device.h"
#endif

#include <chrono>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static unsigned long NoMci(const char*, char* reply, unsigned length)
{
    if (reply && length) reply[0] = 0;
    return 0;
}

#ifndef _WIN32
static int NoLeadByte(unsigned char) { return 0; }

static int CopyAnsi(const char* ansi, char* out, unsigned size)
{
    if (strlen(ansi) >= size) return 0;
    strcpy(out, ansi);
    return 1;
}
#endif

// Each line fits the fields a path is split into (directory, name and
// extension of at most 255 bytes each), so that every line is a track.
static int Make(const char* path, int tracks, int utf8)
{
    const char* kyoku = utf8 ? "\xE6\x9B\xB2" : "\x8B\xC8";
    FILE* f = fopen(path, "wb");
    if (!f) return 2;
    fputs("#EXTM3U\n", f);
    for (int i = 0; i < tracks; i++) {
        fputs("music\\", f);
        for (int d = 0; d < 8; d++) fprintf(f, "folder_%02d_of_track_%04d_%s\\", d, i, kyoku);
        fprintf(f, "track_%04d_", i);
        for (int k = 0; k < 20; k++) fputs("long_name", f);
        fprintf(f, "%s.wav\n", kyoku);
    }
    return fclose(f) == 0 ? 0 : 2;
}

// Under Windows the product's own code-page functions, natively stand-ins.
static PlaylistDevice BenchDevice()
{
#ifdef _WIN32
    PlaylistDevice device = bgmDevice;
#else
    PlaylistDevice device = {NULL, NULL, NULL, CopyAnsi, NoLeadByte};
#endif
    device.send = NoMci;
    return device;
}

static int Load(const char* path, int loads)
{
    static const PlaylistDevice device = BenchDevice();
    static Playlist bgmPlaylist(&device);
    double ms[64];
    int tracks = 0;
    if (loads > 64) loads = 64;
    if (loads < 1) loads = 1;
    for (int i = 0; i < loads; i++) {
        auto t0 = std::chrono::steady_clock::now();
        tracks = bgmPlaylist.Load(path);
        auto t1 = std::chrono::steady_clock::now();
        ms[i] = std::chrono::duration<double, std::milli>(t1 - t0).count();
        bgmPlaylist.Teardown();
    }
    for (int i = 1; i < loads; i++)
        for (int j = i; j > 0 && ms[j - 1] > ms[j]; j--) {
            double t = ms[j];
            ms[j] = ms[j - 1];
            ms[j - 1] = t;
        }
    double median = loads % 2 ? ms[loads / 2] : (ms[loads / 2 - 1] + ms[loads / 2]) / 2;
    printf("tracks %d\n", tracks);
    printf("load_ms %.3f\n", median);
    printf("load_min_ms %.3f\n", ms[0]);
    return tracks > 0 ? 0 : 1;
}

int main(int argc, char** argv)
{
    if ((argc == 4 || argc == 5) && strcmp(argv[1], "make") == 0)
        return Make(argv[2], atoi(argv[3]), argc == 5 && strcmp(argv[4], "utf8") == 0);
    if (argc == 4 && strcmp(argv[1], "load") == 0) return Load(argv[2], atoi(argv[3]));
    fprintf(stderr, "usage: playlist_bench make FILE TRACKS [utf8] | load FILE LOADS\n");
    return 2;
}
