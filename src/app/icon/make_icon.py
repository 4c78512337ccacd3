#!/usr/bin/env python3
"""Draws the program's icon and writes it as save-manager.ico (one 128 x 128 image, 32 bits per pixel, for
the Windows resource) and save-manager.png (the same picture, for the Qt window and the .desktop entry).

Standard library only, so anyone can regenerate the committed files:  python3 make_icon.py

The picture: a blue floppy disk (the save) with a green circular arrow badge (going back to it)."""

import math
import os
import struct
import zlib

SIZE = 128
SUPERSAMPLE = 4  # samples per pixel along each axis, for smooth edges


def hex_colour(text, alpha=255):
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16), alpha)


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


BADGE_CENTRE = (95.0, 95.0)
ARC_RADIUS = 14.0
ARC_HALF_WIDTH = 3.6
ARC_START, ARC_END = math.radians(20), math.radians(290)  # clockwise on screen, gap at the upper right


def arrow_head():
    cx, cy = BADGE_CENTRE
    angle = ARC_END
    px, py = cx + ARC_RADIUS * math.cos(angle), cy + ARC_RADIUS * math.sin(angle)
    nx, ny = math.cos(angle), math.sin(angle)  # away from the centre
    tx, ty = -math.sin(angle), math.cos(angle)  # direction of travel
    wing = 8.5
    return ((px + nx * wing, py + ny * wing), (px - nx * wing, py - ny * wing), (px + tx * 9.5, py + ty * 9.5))


ARROW_HEAD = arrow_head()


def colour_at(x, y):
    """The colour of the picture at one sample point, later shapes painted over earlier ones."""
    colour = (0, 0, 0, 0)

    # Disk body with the cut corner at the upper right.
    if in_rounded_rect(x, y, 10, 10, 118, 118, 10) and not (y < x - 92):
        shade = (y - 10) / 108
        top, bottom = (62, 116, 190), (30, 76, 140)
        colour = tuple(round(t + (b - t) * shade) for t, b in zip(top, bottom)) + (255,)
        # A darker rim gives the disk an edge against light backgrounds.
        if not in_rounded_rect(x, y, 13, 13, 115, 115, 8) or y < x - 88:
            colour = hex_colour("1E3F6E")

    # Metal shutter with its slot.
    if in_rounded_rect(x, y, 34, 10, 88, 44, 3):
        colour = hex_colour("D3DAE3")
        if in_rounded_rect(x, y, 68, 17, 80, 38, 2):
            colour = hex_colour("33404F")

    # Paper label with ruled lines.
    if in_rounded_rect(x, y, 24, 60, 104, 118, 4):
        colour = hex_colour("F5F7FA")
        for line_y in (74, 86, 98):
            if 34 <= x <= 94 and line_y <= y <= line_y + 3:
                colour = hex_colour("9AA8B8")

    # Badge: white ring, green disc, white circular arrow.
    cx, cy = BADGE_CENTRE
    distance = math.hypot(x - cx, y - cy)
    if distance <= 29:
        colour = hex_colour("FFFFFF")
    if distance <= 25.5:
        colour = hex_colour("2E9E5B")
        angle = math.atan2(y - cy, x - cx) % (2 * math.pi)
        on_arc = abs(distance - ARC_RADIUS) <= ARC_HALF_WIDTH and ARC_START <= angle <= ARC_END
        if on_arc or in_triangle(x, y, *ARROW_HEAD):
            colour = hex_colour("FFFFFF")
    return colour


def render():
    """Rows of straight (not premultiplied) RGBA pixels, top row first."""
    rows = []
    step = 1.0 / SUPERSAMPLE
    count = SUPERSAMPLE * SUPERSAMPLE
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            r = g = b = a = 0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    cr, cg, cb, ca = colour_at(px + (sx + 0.5) * step, py + (sy + 0.5) * step)
                    r += cr * ca
                    g += cg * ca
                    b += cb * ca
                    a += ca
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a), round(a / count)))
        rows.append(row)
    return rows


def png_bytes(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def ico_bytes(rows):
    # A classic DIB entry rather than an embedded PNG: every Windows version and Wine load it, and
    # LoadImage can scale it down for the small title-bar icon.
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask = bytearray()
    for row in reversed(rows):
        bits = 0
        for i, pixel in enumerate(row):
            bits = (bits << 1) | (1 if pixel[3] == 0 else 0)
            if i % 8 == 7:
                mask.append(bits)
                bits = 0
    # Mask rows are padded to 32 bits; 128 pixels give exactly 16 bytes.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    rows = render()
    with open(os.path.join(here, "save-manager.ico"), "wb") as out:
        out.write(ico_bytes(rows))
    with open(os.path.join(here, "save-manager.png"), "wb") as out:
        out.write(png_bytes(rows))


if __name__ == "__main__":
    main()
