#!/usr/bin/env python3
"""Draws the plug-in's 32 x 32, 256-colour icon and writes resources/TovoCsvList.ico.

Usage: make_icon.py [--png PREVIEW.png] [--scale N]

The picture is a screwdriver (red handle at the lower left, light-grey shaft pointing to the
upper right) on a flat light-teal square, with a long darker-teal shadow cast towards the lower
right. Every pixel is opaque, so the AND mask is all zero. Standard library only.
"""
import argparse
import math
import os
import struct
import zlib

SIZE = 32

# Palette entries in drawing order; the rest of the 256 entries stay black and unused.
PALETTE = [
    (0x7F, 0xD4, 0xCC),  # 0 background, light teal
    (0x3E, 0x8F, 0x88),  # 1 long shadow, darker teal
    (0xD8, 0x2A, 0x2A),  # 2 handle
    (0xF2, 0x6B, 0x5E),  # 3 handle highlight
    (0x99, 0x18, 0x1E),  # 4 handle shade
    (0xD9, 0xDD, 0xE0),  # 5 shaft
    (0xF7, 0xF8, 0xF9),  # 6 shaft highlight
    (0x8E, 0x96, 0x9C),  # 7 shaft shade, ferrule
    (0x5A, 0x60, 0x66),  # 8 blade tip
]
BACKGROUND, SHADOW, HANDLE, HANDLE_HI, HANDLE_LO, SHAFT, SHAFT_HI, SHAFT_LO, TIP = range(9)

# The tool lies on the diagonal from the lower left (handle end) to the upper right (tip).
HANDLE_A, HANDLE_B, HANDLE_R = (5.5, 26.5), (12.5, 19.5), 3.6
FERRULE_A, FERRULE_B, FERRULE_R = (12.5, 19.5), (14.5, 17.5), 2.0
SHAFT_A, SHAFT_B, SHAFT_R = (14.5, 17.5), (24.0, 8.0), 1.15
TIP_A, TIP_B, TIP_R = (24.0, 8.0), (26.8, 5.2), 0.95


def segment_distance(p, a, b):
    """Distance from p to the segment a-b, and the side of p (positive above-left of a->b)."""
    ax, ay = a
    bx, by = b
    px, py = p
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    cx, cy = ax + t * dx, ay + t * dy
    side = (dx * (py - ay) - dy * (px - ax)) / math.hypot(dx, dy)
    return math.hypot(px - cx, py - cy), side


def tool_pixel(x, y):
    """Palette index of the tool at pixel (x, y), or None where the tool is absent."""
    p = (x + 0.5, y + 0.5)
    d, side = segment_distance(p, HANDLE_A, HANDLE_B)
    if d <= HANDLE_R:
        # Light from the upper left: the side facing it is lighter, the far side darker.
        if side < -HANDLE_R * 0.45:
            return HANDLE_HI
        if side > HANDLE_R * 0.5:
            return HANDLE_LO
        return HANDLE
    d, _ = segment_distance(p, FERRULE_A, FERRULE_B)
    if d <= FERRULE_R:
        return SHAFT_LO
    d, side = segment_distance(p, SHAFT_A, SHAFT_B)
    if d <= SHAFT_R:
        if side < -0.35:
            return SHAFT_HI
        if side > 0.55:
            return SHAFT_LO
        return SHAFT
    d, _ = segment_distance(p, TIP_A, TIP_B)
    if d <= TIP_R:
        return TIP
    return None


def draw():
    """Returns the picture as rows of palette indices, top row first."""
    tool = [[tool_pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if tool[y][x] is not None:
                row.append(tool[y][x])
                continue
            # Long shadow: some tool pixel lies up and to the left on the 45-degree diagonal.
            k = 1
            while x - k >= 0 and y - k >= 0 and tool[y - k][x - k] is None:
                k += 1
            row.append(SHADOW if x - k >= 0 and y - k >= 0 else BACKGROUND)
        rows.append(row)
    return rows


def ico_bytes(rows):
    palette = PALETTE + [(0, 0, 0)] * (256 - len(PALETTE))
    xor_stride = SIZE  # 8 bits a pixel: 32 bytes, already a multiple of 4
    and_stride = ((SIZE + 31) // 32) * 4
    xor_bits = b"".join(bytes(rows[y]) for y in reversed(range(SIZE)))  # bottom-up
    and_bits = bytes(and_stride * SIZE)  # wholly opaque
    header = struct.pack(
        "<IiiHHIIiiII",
        40, SIZE, SIZE * 2,  # height counts the XOR and AND halves
        1, 8, 0,
        len(xor_bits) + len(and_bits),
        0, 0, 256, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    image = header + colours + xor_bits + and_bits
    assert len(xor_bits) == xor_stride * SIZE
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return icondir + entry + image


def png_bytes(rows, scale):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    side = SIZE * scale
    raw = bytearray()
    for y in range(side):
        raw.append(0)  # filter: none
        for x in range(side):
            raw.extend(PALETTE[rows[y // scale][x // scale]])
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--png", help="also write an enlarged PNG preview here")
    parser.add_argument("--scale", type=int, default=8, help="preview enlargement (default 8)")
    parser.add_argument("--out", default=os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                      "TovoCsvList.ico"))
    args = parser.parse_args()
    rows = draw()
    with open(args.out, "wb") as f:
        f.write(ico_bytes(rows))
    if args.png:
        with open(args.png, "wb") as f:
            f.write(png_bytes(rows, max(1, args.scale)))


if __name__ == "__main__":
    main()
