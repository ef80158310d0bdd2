// Music tracks for the tests: a WAV file with a tone.
#pragma once
#include <windows.h>

#include <string>

#include "test_files.h"

inline void PutLE(std::string* s, DWORD value, int bytes)
{
    for (int i = 0; i < bytes; i++) s->push_back((char)((value >> (8 * i)) & 0xFF));
}

// A mono 16-bit PCM WAV file (22050 Hz) with a tone (triangle wave): its
// length first, then its pitch, e.g. WriteToneWav(path, 1200, 440).
inline bool WriteToneWav(const std::string& path, DWORD milliseconds, int hertz)
{
    const DWORD rate = 22050;
    DWORD samples = rate * milliseconds / 1000;
    std::string wav = "RIFF";
    PutLE(&wav, 36 + samples * 2, 4);
    wav += "WAVEfmt ";
    PutLE(&wav, 16, 4);
    PutLE(&wav, 1, 2);  // PCM
    PutLE(&wav, 1, 2);  // mono
    PutLE(&wav, rate, 4);
    PutLE(&wav, rate * 2, 4);
    PutLE(&wav, 2, 2);
    PutLE(&wav, 16, 2);
    wav += "data";
    PutLE(&wav, samples * 2, 4);
    // A triangle wave is close enough to a tone and needs no maths library.
    DWORD period = rate / (DWORD)hertz;
    for (DWORD i = 0; i < samples; i++) {
        DWORD phase = i % period;
        long v = (long)(phase * 4 * 8000 / period);
        long sample = phase < period / 2 ? v - 8000 : 24000 - v;
        PutLE(&wav, (DWORD)(sample & 0xFFFF), 2);
    }
    return WriteFileBytes(path, wav);
}
