#!/usr/bin/env python3
"""Packs the bitmaps that make_art.py draws for the executable.

Each picture.bmp becomes picture.lz: the bitmap's packed DIB (the file
without its 14-byte file header) in the LZSS form that ArtLoadBitmap
(core/runtime/art.cpp) unpacks:
  a 32-bit little-endian count of unpacked bytes, then items in groups of
  eight, each group led by a flag byte read lowest bit first: a set bit is
  one literal byte; a clear bit a 16-bit little-endian code that copies
  (code & 31) + 3 bytes from (code >> 5) + 1 bytes back.
The parse is optimal for that form, so a rerun reproduces the same bytes.
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
PICTURES = ["arrow_left", "arrow_right", "header", "about"]
MAX_DISTANCE = 1 << 11
MAX_LENGTH = 31 + 3


def pack(data):
    n = len(data)
    chains = {}
    matches = []
    for i in range(n):
        found = {}
        key = data[i:i + 3]
        if len(key) == 3:
            for p in reversed(chains.get(key, [])):
                if i - p > MAX_DISTANCE:
                    break
                length = 0
                while length < MAX_LENGTH and i + length < n and data[p + length] == data[i + length]:
                    length += 1
                for l in range(3, length + 1):
                    found.setdefault(l, i - p)  # the nearest source of each length
            chains.setdefault(key, []).append(i)
        matches.append(found)
    # Cheapest cost in bits from each position to the end, and its first step.
    cost = [0] * (n + 1)
    step = [None] * (n + 1)
    for i in range(n - 1, -1, -1):
        cost[i], step[i] = cost[i + 1] + 9, None
        for length, distance in matches[i].items():
            if cost[i + length] + 17 < cost[i]:
                cost[i], step[i] = cost[i + length] + 17, (length, distance)
    items = []
    i = 0
    while i < n:
        if step[i] is None:
            items.append(bytes([data[i]]))
            i += 1
        else:
            length, distance = step[i]
            items.append(struct.pack("<H", (distance - 1) << 5 | (length - 3)))
            i += length
    out = bytearray(struct.pack("<I", n))
    for g in range(0, len(items), 8):
        group = items[g:g + 8]
        out.append(sum(1 << b for b, item in enumerate(group) if len(item) == 1))
        for item in group:
            out += item
    return bytes(out)


def unpack(packed):
    size = struct.unpack("<I", packed[:4])[0]
    out = bytearray()
    i = 4
    while len(out) < size:
        flags = packed[i]
        i += 1
        for b in range(8):
            if len(out) >= size:
                break
            if flags >> b & 1:
                out.append(packed[i])
                i += 1
            else:
                code = packed[i] | packed[i + 1] << 8
                i += 2
                for _ in range((code & 31) + 3):
                    out.append(out[-((code >> 5) + 1)])
    return bytes(out)


def main():
    for name in PICTURES:
        with open(os.path.join(HERE, name + ".bmp"), "rb") as f:
            dib = f.read()[14:]
        packed = pack(dib)
        assert unpack(packed) == dib
        with open(os.path.join(HERE, name + ".lz"), "wb") as f:
            f.write(packed)
        print("%-12s %6d -> %5d bytes" % (name, len(dib), len(packed)))


if __name__ == "__main__":
    main()
