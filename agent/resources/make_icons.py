#!/usr/bin/env python3
"""Draws the agent's two icons as 32x32, 16-colour .ico files.

agent9.ico is the program file's icon (a sheet of paper with text lines),
agent10.ico the tray and About icon (the same sheet on a clipboard). Both
use the standard 16-colour VGA palette, so they look the same everywhere.
Usage: make_icons.py OUTPUT_DIR
"""
import os
import struct
import sys

PALETTE = [  # VGA order: index -> (r, g, b)
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_BLUE, GREY, DARK_GREY, YELLOW, WHITE, BROWN = 0, 4, 7, 8, 11, 15, 3
SIZE = 32


def blank():
    return [[None] * SIZE for _ in range(SIZE)]  # None = transparent


def fill(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def frame(img, x0, y0, x1, y1, colour):
    for x in range(x0, x1 + 1):
        img[y0][x] = img[y1][x] = colour
    for y in range(y0, y1 + 1):
        img[y][x0] = img[y][x1] = colour


def sheet(img, x0, y0, x1, y1):
    fill(img, x0, y0, x1, y1, WHITE)
    frame(img, x0, y0, x1, y1, BLACK)
    for y in range(y0 + 4, y1 - 2, 3):  # lines of text
        fill(img, x0 + 3, y, x1 - 3 - (y * 7 % 5), y, DARK_BLUE)


def program_icon():
    img = blank()
    sheet(img, 6, 2, 25, 29)
    return img


def tray_icon():
    img = blank()
    fill(img, 3, 3, 28, 30, BROWN)          # the clipboard's board
    frame(img, 3, 3, 28, 30, BLACK)
    sheet(img, 7, 7, 24, 27)
    fill(img, 11, 1, 20, 5, DARK_GREY)      # its clip
    frame(img, 11, 1, 20, 5, BLACK)
    fill(img, 14, 2, 17, 3, GREY)
    return img


def ico_bytes(img):
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom-up
        row = img[y]
        nibbles = [c if c is not None else 0 for c in row]
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        and_rows.append(bits.to_bytes(4, "big"))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         SIZE * SIZE // 2 + SIZE * 4, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + image


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, img in (("agent9.ico", program_icon()), ("agent10.ico", tray_icon())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(ico_bytes(img))


if __name__ == "__main__":
    main()
