#!/usr/bin/env python3
"""Draws placeholder.png, the picture that stands in for a picture lost from a
damaged presentation: a calm grey card with a broken-frame mark and the words
PICTURE LOST, in a 5 x 7 pixel font scaled up. Run it again after a change:

    make_placeholder.py resources/completion/placeholder.png
"""
import struct
import sys
import zlib

W, H = 320, 200
FONT = {  # 5 x 7 glyphs, one string per row
    "P": ["1111.", "1...1", "1...1", "1111.", "1....", "1....", "1...."],
    "I": ["11111", "..1..", "..1..", "..1..", "..1..", "..1..", "11111"],
    "C": [".1111", "1....", "1....", "1....", "1....", "1....", ".1111"],
    "T": ["11111", "..1..", "..1..", "..1..", "..1..", "..1..", "..1.."],
    "U": ["1...1", "1...1", "1...1", "1...1", "1...1", "1...1", ".111."],
    "R": ["1111.", "1...1", "1...1", "1111.", "1.1..", "1..1.", "1...1"],
    "E": ["11111", "1....", "1....", "1111.", "1....", "1....", "11111"],
    "L": ["1....", "1....", "1....", "1....", "1....", "1....", "11111"],
    "O": [".111.", "1...1", "1...1", "1...1", "1...1", "1...1", ".111."],
    "S": [".1111", "1....", "1....", ".111.", "....1", "....1", "1111."],
    " ": ["....."] * 7,
}
CARD, EDGE, INK, MARK = (236, 236, 232), (190, 190, 184), (96, 98, 104), (160, 162, 168)


def draw():
    px = [[CARD] * W for _ in range(H)]
    for x in range(W):
        for y in (0, 1, H - 2, H - 1):
            px[y][x] = EDGE
    for y in range(H):
        for x in (0, 1, W - 2, W - 1):
            px[y][x] = EDGE
    # A picture frame with a mountain, split by a crack.
    fx, fy, fw, fh = 125, 38, 70, 54
    for x in range(fx, fx + fw):
        for t in range(3):
            px[fy + t][x] = MARK
            px[fy + fh - 1 - t][x] = MARK
    for y in range(fy, fy + fh):
        for t in range(3):
            px[y][fx + t] = MARK
            px[y][fx + fw - 1 - t] = MARK
    for x in range(fx + 3, fx + fw - 3):
        peak = fy + fh - 4 - max(0, 30 - abs(x - (fx + 28)))
        for y in range(max(peak, fy + 3), fy + fh - 3):
            px[y][x] = MARK
    for y in range(fy - 4, fy + fh + 4):
        cx = fx + 40 + (4 if (y // 6) % 2 else -4)
        for x in range(cx - 2, cx + 3):
            if 0 <= y < H:
                px[y][x] = CARD
    text, scale = "PICTURE LOST", 3
    tw = len(text) * 6 * scale - scale
    tx, ty = (W - tw) // 2, 120
    for i, ch in enumerate(text):
        for r, row in enumerate(FONT[ch]):
            for c, bit in enumerate(row):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            px[ty + r * scale + dy][tx + (i * 6 + c) * scale + dx] = INK
    return px


def png(px):
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in px)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    open(sys.argv[1] if len(sys.argv) > 1 else "placeholder.png", "wb").write(png(draw()))
