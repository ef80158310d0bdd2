// Music tracks for the tests: a WAV file with a tone.
#pragma once
#include "test_files.h"

// A mono 16-bit PCM WAV file (22050 Hz) with a tone (triangle wave): its
// length first, then its pitch, e.g. WriteToneWav(path, 1200, 440).
inline bool WriteToneWav(const std::string& path, DWORD milliseconds, int hertz)
{
    const DWORD rate = 22050;
    DWORD samples = rate * milliseconds / 1000;
    std::string wav = "RIFF";
    auto put = [&wav](DWORD value, int bytes) {
        for (int i = 0; i < bytes; i++) wav.push_back((char)((value >> (8 * i)) & 0xFF));
    };
    put(36 + samples * 2, 4);
    wav += "WAVEfmt ";
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    wav += "data";
    put(samples * 2, 4);
    // A triangle wave is close enough to a tone and needs no maths library.
    DWORD period = rate / (DWORD)hertz;
    for (DWORD i = 0; i < samples; i++) {
        DWORD phase = i % period;
        long v = (long)(phase * 4 * 8000 / period);
        long sample = phase < period / 2 ? v - 8000 : 24000 - v;
        put((DWORD)(sample & 0xFFFF), 2);
    }
    return WriteFileBytes(path, wav);
}
