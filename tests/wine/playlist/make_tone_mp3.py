#!/usr/bin/env python3
"""Writes a one-second 440 Hz tone as WAV and encodes it to the MP3 path given."""
import math
import os
import struct
import subprocess
import sys
import tempfile

out = sys.argv[1]
rate = 22050
samples = b"".join(
    struct.pack("<h", int(12000 * math.sin(2 * math.pi * 440 * i / rate))) for i in range(rate)
)
header = b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVE"
header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16)
header += b"data" + struct.pack("<I", len(samples))
with tempfile.TemporaryDirectory() as tmp:
    wav = os.path.join(tmp, "tone.wav")
    with open(wav, "wb") as f:
        f.write(header + samples)
    subprocess.run(["lame", "--quiet", "-b", "64", wav, out], check=True)
