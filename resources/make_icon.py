#!/usr/bin/env python3
"""Writes velkaro_ss_launcher.ico: a 32x32 and a 16x16 image in 16 colours.

The picture is a small monitor showing a night sky (a crescent moon and a
star) on a stand: a screen saver that starts something on the desktop.
Standard library only; run it from anywhere, it writes beside itself.
"""
import os
import struct

# The standard 16-colour VGA palette (as RGB).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, SILVER, YELLOW, NAVY, WHITE = 0, 8, 7, 11, 4, 15
TRANSPARENT = None


def draw(size):
    """Returns rows (top first) of palette indices or TRANSPARENT."""
    s = size / 32.0
    img = [[TRANSPARENT] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), max(int(y1 * s), int(y0 * s) + 1)):
            for x in range(int(x0 * s), max(int(x1 * s), int(x0 * s) + 1)):
                img[y][x] = colour

    rect(1, 3, 31, 24, GREY)      # monitor case
    rect(2, 4, 30, 23, SILVER)
    rect(4, 6, 28, 21, BLACK)     # screen bezel
    rect(5, 7, 27, 20, NAVY)      # night sky
    rect(12, 24, 20, 27, GREY)    # neck
    rect(7, 27, 25, 30, SILVER)   # foot
    rect(7, 29, 25, 30, GREY)
    # Crescent: a disc minus a shifted disc.
    cx, cy, r = 12.5, 13.5, 5.0
    for y in range(size):
        for x in range(size):
            px, py = (x + 0.5) / s, (y + 0.5) / s
            inside = (px - cx) ** 2 + (py - cy) ** 2 <= r * r
            cut = (px - cx - 2.5) ** 2 + (py - cy + 1.5) ** 2 <= r * r
            if inside and not cut:
                img[y][x] = YELLOW
    # A star.
    for (x, y) in [(21, 10), (20, 11), (21, 11), (22, 11), (21, 12), (23, 16)]:
        img[int(y * s)][int(x * s)] = WHITE
    return img


def dib(img):
    size = len(img)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = b""
    mask = b""
    for row in reversed(img):   # bottom-up
        nibbles = [0 if c is TRANSPARENT else c for c in row]
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor += line.ljust(xor_stride, b"\0")
        bits = 0
        for i, c in enumerate(row):
            if c is TRANSPARENT:
                bits |= 1 << (size - 1 - i)
        line = bits.to_bytes((size + 7) // 8, "big")
        mask += line.ljust(and_stride, b"\0")
    return header + palette + xor + mask


def main():
    images = [dib(draw(32)), dib(draw(16))]
    sizes = [32, 16]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "velkaro_ss_launcher.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
