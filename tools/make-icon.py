#!/usr/bin/env python3
"""Draw Korvane's program icon and write it as a Windows .ico file.

The icon is one 32x32 image with a 256-colour palette (8 bits per pixel) and
a 1-bit transparency mask: a light card with a rounded outline, two grid
lines, a green memory area and a blue processor line in the colours of the
program's two load graphs.

    python3 tools/make-icon.py [OUTPUT]     (default: src/app/korvane.ico)

Standard library only, and deterministic: the same script always writes the
same bytes, so the committed src/app/korvane.ico can be checked against it
(python3 tools/make-icon.py /tmp/k.ico && cmp /tmp/k.ico src/app/korvane.ico).
"""

import math
import os
import struct
import sys

SIZE = 32
SUPERSAMPLE = 8  # samples per pixel along each axis, for smooth edges

# Colours as (R, G, B).
CARD = (246, 248, 251)
OUTLINE = (92, 104, 122)
GRID = (212, 219, 228)
PROCESSOR = (0, 96, 176)    # the processor graph's colour
MEMORY = (0, 128, 64)       # the memory graph's colour
MEMORY_FILL = (178, 222, 198)  # the memory colour faded into the card
INKS = [CARD, OUTLINE, GRID, PROCESSOR, MEMORY, MEMORY_FILL]

CORNER_RADIUS = 5.0
OUTLINE_WIDTH = 1.0
# Polylines in pixel coordinates (x right, y down; pixel centres at n + 0.5).
PROCESSOR_LINE = [(3.0, 17.0), (8.0, 12.5), (12.0, 15.5), (17.0, 6.5),
                  (21.5, 11.5), (25.0, 8.5), (29.0, 5.0)]
MEMORY_LINE = [(3.0, 22.5), (10.0, 21.5), (16.0, 22.0), (22.0, 20.0),
               (29.0, 20.5)]
GRID_ROWS = [10.5, 17.5]


def rounded_rect_distance(x, y):
    """Signed distance to the card's rounded outline (negative inside)."""
    half = SIZE / 2.0
    qx = abs(x - half) - (half - CORNER_RADIUS)
    qy = abs(y - half) - (half - CORNER_RADIUS)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    inside = min(max(qx, qy), 0.0)
    return outside + inside - CORNER_RADIUS


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def polyline_distance(px, py, points):
    return min(segment_distance(px, py, *points[i], *points[i + 1])
               for i in range(len(points) - 1))


def polyline_y(x, points):
    """Height of a polyline at x (clamped to its ends)."""
    if x <= points[0][0]:
        return points[0][1]
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        if x <= bx:
            return ay + (by - ay) * (x - ax) / (bx - ax)
    return points[-1][1]


def sample(x, y):
    """The colour at one sample point, or None outside the card."""
    edge = rounded_rect_distance(x, y)
    if edge > 0.0:
        return None
    if edge > -OUTLINE_WIDTH:
        return OUTLINE
    if polyline_distance(x, y, PROCESSOR_LINE) < 1.05:
        return PROCESSOR
    if polyline_distance(x, y, MEMORY_LINE) < 0.8:
        return MEMORY
    if x > MEMORY_LINE[0][0] and x < MEMORY_LINE[-1][0] and y > polyline_y(x, MEMORY_LINE):
        return MEMORY_FILL
    if any(abs(y - row) < 0.5 for row in GRID_ROWS) and 2.0 < x < SIZE - 2.0:
        return GRID
    return CARD


def render():
    """Average the samples of each pixel: (colour, opaque) per pixel, row 0 at the top."""
    pixels = []
    step = 1.0 / SUPERSAMPLE
    for row in range(SIZE):
        line = []
        for col in range(SIZE):
            total = [0, 0, 0]
            covered = 0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    colour = sample(col + (sx + 0.5) * step, row + (sy + 0.5) * step)
                    if colour is not None:
                        covered += 1
                        for i in range(3):
                            total[i] += colour[i]
            samples = SUPERSAMPLE * SUPERSAMPLE
            if covered * 2 < samples:
                line.append((None, False))
            else:
                line.append((tuple(round(c / covered) for c in total), True))
        pixels.append(line)
    return pixels


def build_palette():
    """Black (index 0, behind the transparent pixels), the inks, and 14 blend
    steps between every pair of inks: 1 + 6 + 15 * 14 = 217 of 256 entries."""
    palette = [(0, 0, 0)] + list(INKS)
    for i in range(len(INKS)):
        for j in range(i + 1, len(INKS)):
            a, b = INKS[i], INKS[j]
            for k in range(1, 15):
                palette.append(tuple(round(a[c] + (b[c] - a[c]) * k / 15) for c in range(3)))
    assert len(palette) <= 256
    return palette + [(0, 0, 0)] * (256 - len(palette))


def nearest(palette, colour):
    best, best_distance = 1, None
    for index in range(1, len(palette)):
        p = palette[index]
        distance = sum((p[c] - colour[c]) ** 2 for c in range(3))
        if best_distance is None or distance < best_distance:
            best, best_distance = index, distance
    return best


def ico_bytes(pixels, palette):
    xor_rows = []
    and_rows = []
    cache = {}
    for line in reversed(pixels):  # bitmaps are stored bottom-up
        xor = bytearray()
        mask_bits = 0
        for col, (colour, opaque) in enumerate(line):
            if opaque:
                if colour not in cache:
                    cache[colour] = nearest(palette, colour)
                xor.append(cache[colour])
            else:
                xor.append(0)
                mask_bits |= 1 << (31 - col)  # 1 = the screen shows through
        xor_rows.append(bytes(xor))
        and_rows.append(struct.pack('>I', mask_bits))  # 32 bits, already a 4-byte row
    xor_data = b''.join(xor_rows)
    and_data = b''.join(and_rows)

    header = struct.pack('<IiiHHIIiiII',
                         40,              # biSize
                         SIZE, SIZE * 2,  # the height counts the XOR and AND bitmaps
                         1, 8,            # planes, bits per pixel
                         0,               # BI_RGB
                         len(xor_data) + len(and_data),
                         0, 0,
                         256, 0)
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    image = header + colours + xor_data + and_data

    icondir = struct.pack('<HHH', 0, 1, 1)  # reserved, type 1 = icon, one image
    entry = struct.pack('<BBBBHHII',
                        SIZE, SIZE,
                        0,    # colour count: 0 for 256 colours or more
                        0, 1, 8,
                        len(image), 6 + 16)
    return icondir + entry + image


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'src', 'app', 'korvane.ico')
    data = ico_bytes(render(), build_palette())
    with open(output, 'wb') as f:
        f.write(data)
    print(f'make-icon: wrote {output} ({len(data)} bytes)')


if __name__ == '__main__':
    main()
