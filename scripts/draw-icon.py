#!/usr/bin/env python3
"""Draws portsetup's printer icon and writes src/ui/resources/portsetup.ico.

The file holds 32, 24 and 16 pixel images, each once with a 256-colour palette and once as
32-bit BGRA, all as BMP-in-ICO entries so that every Windows version can show them. Each size
has its own pixel-aligned layout, because a single drawing scaled down blurs at 16 pixels.

Standard library only and deterministic: running it twice writes the same bytes.
Usage: scripts/draw-icon.py [output.ico]
"""

import math
import struct
import sys
from pathlib import Path

SIZES = (32, 24, 16)
SUPERSAMPLE = 8  # sub-samples per pixel side; smooths the rounded corners of the 32-bit images

OUTLINE = (0x3A, 0x44, 0x4F)
BODY = (0xD6, 0xDB, 0xE0)
BODY_LIGHT = (0xF2, 0xF4, 0xF6)
BODY_SHADE = (0xA9, 0xB2, 0xBB)
PAPER = (0xFF, 0xFF, 0xFF)
INK = (0x8C, 0x96, 0xA2)
SLOT = (0x2B, 0x33, 0x3C)
LED = (0x2E, 0xB8, 0x4A)
LED_DARK = (0x1B, 0x7A, 0x30)

# Per size, the boxes painted in order, later ones over earlier ones, as (colour, box, corner
# radius). Coordinates are in pixels, (x0, y0) inclusive to (x1, y1) exclusive.
LAYOUTS = {
    32: [
        (OUTLINE, (8, 3, 24, 17), 1.0),  # the sheet sticking out of the top
        (PAPER, (9, 4, 23, 17), 0.0),
        (INK, (11, 6, 21, 7), 0.0),
        (INK, (11, 9, 21, 10), 0.0),
        (INK, (11, 12, 18, 13), 0.0),
        (OUTLINE, (2, 14, 30, 29), 3.0),  # the body
        (BODY_SHADE, (3, 15, 29, 28), 2.0),
        (BODY, (3, 15, 29, 25), 2.0),
        (BODY_LIGHT, (4, 15, 28, 16), 0.0),
        (SLOT, (7, 22, 25, 24), 0.5),  # the paper exit
        (LED_DARK, (23, 17, 27, 21), 1.0),  # the ready light
        (LED, (24, 18, 26, 20), 0.0),
    ],
    24: [
        (OUTLINE, (6, 2, 18, 13), 1.0),
        (PAPER, (7, 3, 17, 13), 0.0),
        (INK, (9, 5, 15, 6), 0.0),
        (INK, (9, 7, 15, 8), 0.0),
        (INK, (9, 9, 13, 10), 0.0),
        (OUTLINE, (1, 11, 23, 22), 2.0),
        (BODY_SHADE, (2, 12, 22, 21), 1.5),
        (BODY, (2, 12, 22, 19), 1.5),
        (BODY_LIGHT, (3, 12, 21, 13), 0.0),
        (SLOT, (5, 17, 19, 18), 0.0),
        (LED_DARK, (17, 13, 20, 16), 0.5),
        (LED, (18, 14, 19, 15), 0.0),
    ],
    16: [
        (OUTLINE, (4, 1, 12, 8), 0.5),
        (PAPER, (5, 2, 11, 8), 0.0),
        (INK, (6, 3, 10, 4), 0.0),
        (INK, (6, 5, 10, 6), 0.0),
        (OUTLINE, (1, 7, 15, 14), 1.5),
        (BODY_SHADE, (2, 8, 14, 13), 0.5),
        (BODY, (2, 8, 14, 11), 0.5),
        (SLOT, (4, 11, 12, 12), 0.0),
        (LED, (11, 9, 13, 10), 0.0),
    ],
}


def inside_box(px, py, box, radius):
    x0, y0, x1, y1 = box
    if not (x0 <= px < x1 and y0 <= py < y1):
        return False
    if radius <= 0:
        return True
    # Outside a corner's quarter circle only when in both the corner's column and row bands.
    cx = min(max(px, x0 + radius), x1 - radius)
    cy = min(max(py, y0 + radius), y1 - radius)
    return (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius


def render(size):
    """Returns size*size premultiplied (r, g, b, a) floats in 0..1, top row first."""
    layout = LAYOUTS[size]
    n = SUPERSAMPLE
    pixels = []
    for y in range(size):
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    px = x + (sx + 0.5) / n
                    py = y + (sy + 0.5) / n
                    colour = None
                    for rgb, box, radius in layout:
                        if inside_box(px, py, box, radius):
                            colour = rgb
                    if colour is not None:
                        acc[0] += colour[0] / 255.0
                        acc[1] += colour[1] / 255.0
                        acc[2] += colour[2] / 255.0
                        acc[3] += 1.0
            pixels.append(tuple(c / (n * n) for c in acc))
    return pixels


def to_bgra(pixels):
    """Straight-alpha 8-bit (r, g, b, a) per pixel."""
    out = []
    for r, g, b, a in pixels:
        if a <= 0.0:
            out.append((0, 0, 0, 0))
            continue
        out.append(tuple(min(255, int(round(c / a * 255.0))) for c in (r, g, b))
                   + (int(round(a * 255.0)),))
    return out


def opaque(rgba):
    # The 8-bit images have only a one-bit mask: a pixel shows when mostly covered.
    return rgba[3] >= 128


def build_palette(images):
    """Index 0 is black, shown by transparent pixels; the rest are the colours used, most
    frequent first, so that any excess colours fall back to their nearest kept neighbour."""
    counts = {}
    for image in images:
        for rgba in image:
            if opaque(rgba):
                counts[rgba[:3]] = counts.get(rgba[:3], 0) + 1
    used = sorted(counts, key=lambda c: (-counts[c], c))
    palette = [(0, 0, 0)] + [c for c in used if c != (0, 0, 0)][:255]
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette


def nearest_index(palette, rgb, cache):
    if rgb not in cache:
        cache[rgb] = min(range(len(palette)),
                         key=lambda i: (sum((p - q) ** 2 for p, q in zip(palette[i], rgb)), i))
    return cache[rgb]


def row_stride(width, bits):
    return (width * bits + 31) // 32 * 4


def and_mask(size, image, transparent):
    stride = row_stride(size, 1)
    data = bytearray()
    for y in reversed(range(size)):  # DIB rows run bottom-up
        row = bytearray(stride)
        for x in range(size):
            if transparent(image[y * size + x]):
                row[x // 8] |= 0x80 >> (x % 8)
        data += row
    return bytes(data)


def info_header(size, bits, image_bytes):
    # The height covers the colour bitmap and the AND mask stacked together.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0, 0, 0)


def encode_8bit(size, image, palette):
    cache = {}
    stride = row_stride(size, 8)
    xor = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            rgba = image[y * size + x]
            row[x] = nearest_index(palette, rgba[:3], cache) if opaque(rgba) else 0
        xor += row
    mask = and_mask(size, image, lambda p: not opaque(p))
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return info_header(size, 8, len(xor) + len(mask)) + colours + bytes(xor) + mask


def encode_32bit(size, image):
    xor = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = image[y * size + x]
            xor += struct.pack("<BBBB", b, g, r, a)
    # Ignored where the alpha channel is honoured, but read by code that only knows the mask.
    mask = and_mask(size, image, lambda p: not opaque(p))
    return info_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def build_ico():
    images = {size: to_bgra(render(size)) for size in SIZES}
    palette = build_palette(images[s] for s in SIZES)
    entries = [(size, 8, encode_8bit(size, images[size], palette)) for size in SIZES]
    entries += [(size, 32, encode_32bit(size, images[size])) for size in SIZES]

    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for size, bits, blob in entries:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    for _size, _bits, blob in entries:
        out += blob
    return bytes(out)


def main():
    root = Path(__file__).resolve().parent.parent
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else root / "src/ui/resources/portsetup.ico"
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_bytes(build_ico())
    print(f"wrote {target}")


if __name__ == "__main__":
    main()
