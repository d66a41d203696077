#!/usr/bin/env python3
"""Writes data/core/noise.tga: 64 x 64 texels of independent random bytes (three channels), the
renderer's noise map (film grain, the rotation of the occlusion kernel). A fixed seed and a
generator of our own keep the file the same on every run and every Python.

    python3 tools/make-noise-tga.py [output]
"""
import struct
import sys

SIZE = 64
SEED = 0x4B455354


def xorshift32(state):
    state ^= (state << 13) & 0xFFFFFFFF
    state ^= state >> 17
    state ^= (state << 5) & 0xFFFFFFFF
    return state


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else "data/core/noise.tga"
    # Uncompressed true colour, 24 bits, rows from the bottom up.
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, SIZE, SIZE, 24, 0)
    state = SEED
    pixels = bytearray()
    for _ in range(SIZE * SIZE * 3):
        state = xorshift32(state)
        pixels.append(state >> 24)
    with open(output, "wb") as file:
        file.write(header + bytes(pixels))


if __name__ == "__main__":
    main()
