// Music tracks for the tests: a WAV file with a tone.
#pragma once
#include <windows.h>

#include <string>

// A mono 16-bit PCM WAV file (22050 Hz) with a tone (triangle wave): its
// length first, then its pitch, e.g. WriteToneWav(path, 1200, 440).
bool WriteToneWav(const std::string& path, DWORD milliseconds, int hertz);
