#!/usr/bin/env python3
"""Draws Quillmere's artwork and writes it next to the resource script (res/art/).

The motif: a white quill over a round blue mere (a small lake), the blues of the window's
header stripe. Everything is computed here with the Python standard library, so the pictures
can be remade on any machine:

    quillmere.ico     the application icon: 16, 32 and 48 pixels, each in 256 colours
                      (8 bits per pixel, 1-bit transparency mask) and in 32 bits per pixel
                      (alpha channel)
    logo53.bmp        the window's 53 x 53 logo, 24 bits per pixel, on the white header band
    logo66/80/106.bmp the same logo drawn for 120, 144 and 192 dots per inch, in 256 colours
                      (8 bits per pixel): they look the same and keep the program small

Usage: python3 res/make_artwork.py [OUTPUT_FOLDER]   (default: res/art beside this script)
"""

import math
import struct
import sys
from pathlib import Path

DARK_BLUE = (0, 0, 102)
LIGHT_BLUE = (153, 204, 255)
WHITE = (255, 255, 255)

SAMPLES = 6  # supersampling per axis: smooth edges without a drawing library


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# ---- The motif, as a colour at any point of the unit square (y grows downwards) ----------------

DISC_CENTRE = (0.5, 0.5)
DISC_RADIUS = 0.47
RING_WIDTH = 0.035

# The quill lies along this axis, from the nib (lower left) to the tip of the vane (upper right).
NIB = (0.17, 0.86)
TIP = (0.86, 0.12)


def quill_frame(x, y):
    """(u, v): u along the quill from nib (0) to tip (1), v across it in the same units."""
    ax, ay = TIP[0] - NIB[0], TIP[1] - NIB[1]
    length = math.hypot(ax, ay)
    dx, dy = x - NIB[0], y - NIB[1]
    u = (dx * ax + dy * ay) / (length * length)
    v = (dx * -ay + dy * ax) / length
    return u, v


def vane_half_width(u, side):
    """Half width of the feather's vane at u; the upper side (v < 0) is the broader one."""
    start, end = 0.30, 1.0
    if u <= start or u >= end:
        return 0.0
    s = math.sin(math.pi * (u - start) / (end - start)) ** 0.75
    # The broadest point lies nearer the tip, as on a real flight feather.
    s *= 0.55 + 0.45 * (u - start) / (end - start)
    return (0.20 if side < 0 else 0.11) * s


def quill_colour(x, y):
    """Colour of the quill at (x, y), or None outside it."""
    u, v = quill_frame(x, y)
    if u < -0.01 or u > 1.0:
        return None
    # Nib: a dark point widening to the shaft.
    if u < 0.14:
        if abs(v) <= 0.004 + 0.032 * (u / 0.14):
            return (20, 30, 70)
        return None
    half = vane_half_width(u, v)
    shaft = 0.018 * (1.0 - 0.6 * u)
    outline = 0.028
    if abs(v) <= shaft and u < 0.97:
        return (70, 90, 150)
    if half > 0.0 and abs(v) <= half:
        if abs(v) > half - outline:
            return DARK_BLUE
        # Barbs: faint slanted lines across the vane.
        barb = (u * 34.0 + abs(v) * 20.0) % 1.0
        return (228, 236, 250) if barb < 0.18 else WHITE
    return None


def disc_colour(x, y):
    """Colour of the mere at (x, y), or None outside it."""
    dx, dy = x - DISC_CENTRE[0], y - DISC_CENTRE[1]
    r = math.hypot(dx, dy)
    if r > DISC_RADIUS:
        return None
    if r > DISC_RADIUS - RING_WIDTH:
        return DARK_BLUE
    t = (y - (DISC_CENTRE[1] - DISC_RADIUS)) / (2 * DISC_RADIUS)
    colour = mix(LIGHT_BLUE, (10, 50, 150), t ** 0.9)
    # Two gentle waves across the lower half of the mere.
    for level in (0.68, 0.80):
        wave = level + 0.022 * math.sin(2 * math.pi * (x * 2.2 + level))
        if abs(y - wave) < 0.016:
            colour = mix(colour, WHITE, 0.55)
    return colour


def motif(x, y):
    """(r, g, b, alpha) of the motif at (x, y) on a transparent ground."""
    colour = quill_colour(x, y)
    if colour is None:
        colour = disc_colour(x, y)
    if colour is None:
        return (0.0, 0.0, 0.0, 0.0)
    return (colour[0], colour[1], colour[2], 1.0)


def render(size):
    """size x size pixels, rows from the top, each (r, g, b, a) with a in 0..255."""
    pixels = []
    step = 1.0 / (size * SAMPLES)
    for row in range(size):
        line = []
        for column in range(size):
            red = green = blue = alpha = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (column * SAMPLES + sx + 0.5) * step
                    y = (row * SAMPLES + sy + 0.5) * step
                    r, g, b, a = motif(x, y)
                    red += r * a
                    green += g * a
                    blue += b * a
                    alpha += a
            count = SAMPLES * SAMPLES
            if alpha > 0:
                pixel = (red / alpha, green / alpha, blue / alpha, 255.0 * alpha / count)
            else:
                pixel = (0.0, 0.0, 0.0, 0.0)
            line.append(tuple(int(round(c)) for c in pixel))
        pixels.append(line)
    return pixels


def on_ground(pixels, ground):
    """The picture laid on an opaque ground colour: rows of (r, g, b)."""
    return [[tuple(int(round(p[i] * p[3] / 255 + ground[i] * (1 - p[3] / 255))) for i in range(3))
             for p in line] for line in pixels]


# ---- 256-colour reduction (median cut) ----------------------------------------------------------

def median_cut(colours, limit):
    """A palette of at most `limit` colours that represents `colours` (a list of (r, g, b))."""
    boxes = [sorted(set(colours))]
    while len(boxes) < limit:
        boxes.sort(key=lambda box: len(box))
        box = boxes.pop()
        if len(box) < 2:
            boxes.append(box)
            break
        spans = [max(c[i] for c in box) - min(c[i] for c in box) for i in range(3)]
        axis = spans.index(max(spans))
        box.sort(key=lambda c: c[axis])
        half = len(box) // 2
        boxes += [box[:half], box[half:]]
    return [tuple(sum(c[i] for c in box) // len(box) for i in range(3)) for box in boxes if box]


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


# ---- File formats -------------------------------------------------------------------------------

def row_padding(byte_count):
    return b"\0" * ((4 - byte_count % 4) % 4)


def bitmap_info_header(width, height, bits, colours_used=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0, 0, 0, colours_used, 0)


def and_mask(pixels, size):
    """The 1-bit transparency mask of an icon image, bottom row first: 1 = transparent."""
    data = b""
    for line in reversed(pixels):
        bits = bytearray((size + 7) // 8)
        for column, pixel in enumerate(line):
            if pixel[3] < 128:
                bits[column // 8] |= 0x80 >> (column % 8)
        data += bytes(bits) + row_padding(len(bits))
    return data


def icon_image_32(pixels, size):
    data = bitmap_info_header(size, size * 2, 32)
    for line in reversed(pixels):
        data += b"".join(struct.pack("BBBB", p[2], p[1], p[0], p[3]) for p in line)
    return data + and_mask(pixels, size)


def icon_image_8(pixels, size):
    opaque = [(p[0], p[1], p[2]) for line in pixels for p in line if p[3] >= 128]
    palette = median_cut(opaque, 255) if opaque else []
    palette = [(0, 0, 0)] + palette  # index 0: under the mask's transparent pixels
    cache = {}
    data = bitmap_info_header(size, size * 2, 8, 256)
    data += b"".join(struct.pack("BBBB", c[2], c[1], c[0], 0) for c in palette)
    data += b"\0\0\0\0" * (256 - len(palette))
    for line in reversed(pixels):
        row = bytearray()
        for p in line:
            if p[3] < 128:
                row.append(0)
                continue
            key = (p[0], p[1], p[2])
            if key not in cache:
                cache[key] = 1 + nearest(palette[1:], key)
            row.append(cache[key])
        data += bytes(row) + row_padding(len(row))
    return data + and_mask(pixels, size)


def icon_file(sizes):
    images = []
    for size in sizes:
        pixels = render(size)
        images.append((size, 8, icon_image_8(pixels, size)))
        images.append((size, 32, icon_image_32(pixels, size)))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for size, bits, data in images:
        colour_count = 0  # 0 for 256 colours and more
        entries += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    return header + entries + b"".join(data for _, _, data in images)


def bitmap_file_24(rows):
    height, width = len(rows), len(rows[0])
    pixel_data = b""
    for line in reversed(rows):
        row = b"".join(struct.pack("BBB", p[2], p[1], p[0]) for p in line)
        pixel_data += row + row_padding(len(row))
    info = bitmap_info_header(width, height, 24)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixel_data), 0, 0, 14 + len(info))
    return header + info + pixel_data


def bitmap_file_8(rows):
    height, width = len(rows), len(rows[0])
    colours = [p for line in rows for p in line]
    palette = median_cut(colours, 256)
    cache = {}
    pixel_data = b""
    for line in reversed(rows):
        row = bytearray()
        for p in line:
            if p not in cache:
                cache[p] = nearest(palette, p)
            row.append(cache[p])
        pixel_data += bytes(row) + row_padding(len(row))
    info = bitmap_info_header(width, height, 8, len(palette))
    info += b"".join(struct.pack("BBBB", c[2], c[1], c[0], 0) for c in palette)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixel_data), 0, 0, 14 + len(info))
    return header + info + pixel_data


def main():
    output = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent / "art"
    output.mkdir(parents=True, exist_ok=True)
    (output / "quillmere.ico").write_bytes(icon_file([16, 32, 48]))
    # The logo sits on the white header band: it is drawn on white, with no transparency.
    # The 53-pixel logo keeps 24 bits per pixel, the window's own depth.
    for size in (53, 66, 80, 106):
        pixels = on_ground(render(size), WHITE)
        bitmap = bitmap_file_24(pixels) if size == 53 else bitmap_file_8(pixels)
        (output / f"logo{size}.bmp").write_bytes(bitmap)
    print(f"artwork written to {output}")


if __name__ == "__main__":
    main()
