#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the program's icons and writes them as PNG and ICO files.

Python 3 standard library only (zlib and struct), so anyone can regenerate the icons:

    python3 resources/icons/make_icons.py [--preview DIR]

Writes icons/images/QuarnelClass.ico (32 x 32 and 16 x 16, 32 bpp BMP entries with AND masks),
icons/images/Check.png, icons/images/Output.png and actions/Resources/zoom.png (16 x 16 RGBA),
and the window icon as desktop/huffman-lab-N.png (N = 16, 32, 48, 64, 128, 256) for the desktop's
menu and software centre (its scalable twin, desktop/huffman-lab.svg, is drawn by hand after the
same layers). The 256-pixel image takes about half a minute.
--preview DIR also writes enlarged copies on a checkerboard, for looking at them.
Output is deterministic: the same script gives the same bytes.
"""

import math
import struct
import sys
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent
RESOURCES = HERE.parent
SAMPLES = 8  # supersampling per axis: 64 samples per pixel for smooth edges
DESKTOP_SIZES = (16, 32, 48, 64, 128, 256)  # the hicolor theme's usual application sizes

# ---------------------------------------------------------------------------------------------
# Shapes. Every drawing is made in a 16 x 16 unit square, (0, 0) top left, and scaled to the
# requested pixel size; a shape is a predicate "is this point inside".


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment(x0, y0, x1, y1, half_width):
    """A thick line with round caps."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = ((x - x0) * dx + (y - y0) * dy) / length2
        t = min(1.0, max(0.0, t))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= half_width * half_width

    return inside


def polyline(points, half_width):
    parts = [segment(*points[i], *points[i + 1], half_width) for i in range(len(points) - 1)]
    return lambda x, y: any(p(x, y) for p in parts)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def polygon(points):
    """Even-odd fill of a closed polygon."""

    def inside(x, y):
        result = False
        n = len(points)
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                result = not result
        return result

    return inside


def vertical_gradient(top, bottom, y0, y1):
    """A colour that depends on y, for shading a shape."""

    def colour(x, y):
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))

    return colour


# ---------------------------------------------------------------------------------------------
# Rendering: layers painted back to front, each a (shape, colour) pair; colour is an RGBA tuple
# or a function of the point returning one. Straight (not premultiplied) RGBA out.


def render(layers, size):
    scale = 16.0 / size
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied sum over the samples
            for sy in range(SAMPLES):
                y = (py + (sy + 0.5) / SAMPLES) * scale
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    r = g = b = a = 0.0
                    for shape, colour in layers:
                        if not shape(x, y):
                            continue
                        cr, cg, cb, ca = colour(x, y) if callable(colour) else colour
                        ca /= 255.0
                        r = cr * ca + r * (1 - ca)
                        g = cg * ca + g * (1 - ca)
                        b = cb * ca + b * (1 - ca)
                        a = ca + a * (1 - ca)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(min(255, round(c / n / alpha)) for c in acc[:3])
                           + (round(alpha * 255),))
        pixels.append(row)
    return pixels


# ---------------------------------------------------------------------------------------------
# The pictures.


def window_icon():
    """A small Huffman tree on a blue tile: the frequent symbol is a short branch, the two rare
    ones hang deeper. Leaves sit on whole pixels so the 16 x 16 image stays crisp."""
    tile = vertical_gradient((70, 130, 230, 255), (25, 70, 160, 255), 0, 16)
    edge = (255, 255, 255, 255)
    outline = (20, 40, 90, 255)
    root = (7.5, 3.5)
    inner = (9.5, 7.5)
    leaves = [((4.0, 8.0), (255, 200, 60, 255)), ((7.0, 12.0), (120, 230, 140, 255)),
              ((12.0, 12.0), (120, 230, 140, 255))]
    layers = [
        (rounded_rect(0.3, 0.3, 15.7, 15.7, 3.0), (20, 50, 120, 255)),
        (rounded_rect(0.9, 0.9, 15.1, 15.1, 2.5), tile),
        (segment(*root, *leaves[0][0], 0.6), edge),
        (segment(*root, *inner, 0.6), edge),
        (segment(*inner, *leaves[1][0], 0.6), edge),
        (segment(*inner, *leaves[2][0], 0.6), edge),
        (circle(*root, 2.0), outline),
        (circle(*root, 1.5), edge),
        (circle(*inner, 1.6), outline),
        (circle(*inner, 1.1), edge),
    ]
    for (x, y), colour in leaves:
        layers.append((rounded_rect(x - 2.0, y - 2.0, x + 2.0, y + 2.0, 0.5), outline))
        layers.append((rounded_rect(x - 1.0, y - 1.0, x + 1.0, y + 1.0, 0.2), colour))
    return layers


def check_icon():
    """A green tick with a dark outline."""
    tick = [(2.6, 8.6), (6.2, 12.2), (13.4, 3.6)]
    green = vertical_gradient((110, 210, 90, 255), (40, 140, 40, 255), 3, 13)
    return [
        (polyline(tick, 2.0), (20, 80, 20, 255)),
        (polyline(tick, 1.25), green),
    ]


def output_icon():
    """A sheet with lines of numbers and an arrow pointing out of it: data put out as text."""
    paper = (250, 250, 250, 255)
    ink = (90, 90, 110, 255)
    arrow = (30, 110, 220, 255)
    layers = [
        (rounded_rect(1.0, 1.0, 11.0, 15.0, 1.0), (80, 80, 90, 255)),
        (rounded_rect(1.8, 1.8, 10.2, 14.2, 0.6), paper),
    ]
    for y in (4.2, 6.8, 9.4, 12.0):
        layers.append((segment(3.6, y, 8.4, y, 0.55), ink))
    shaft = segment(7.0, 8.0, 11.6, 8.0, 1.05)
    head = polygon([(10.4, 4.0), (15.4, 8.0), (10.4, 12.0)])
    layers += [
        (segment(7.0, 8.0, 11.6, 8.0, 1.75), (255, 255, 255, 255)),
        (polygon([(9.6, 2.6), (16.0, 8.0), (9.6, 13.4)]), (255, 255, 255, 255)),
        (shaft, arrow),
        (head, arrow),
    ]
    return layers


def zoom_icon():
    """A magnifier: glass lens, dark rim, handle to the lower right."""
    glass = vertical_gradient((215, 235, 255, 220), (150, 190, 240, 220), 1.5, 11)
    return [
        (segment(9.6, 9.6, 14.4, 14.4, 1.7), (90, 55, 30, 255)),
        (segment(9.9, 9.9, 14.1, 14.1, 1.05), (160, 100, 50, 255)),
        (circle(6.3, 6.3, 5.4), (50, 50, 60, 255)),
        (circle(6.3, 6.3, 4.1), glass),
        (segment(3.9, 5.6, 4.9, 3.9, 0.5), (255, 255, 255, 230)),  # glint
    ]


# ---------------------------------------------------------------------------------------------
# File formats.


def png_bytes(pixels):
    height, width = len(pixels), len(pixels[0])

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in pixels)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8 bit RGBA, no interlace
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico_dib(pixels):
    """One icon entry: BITMAPINFOHEADER, BGRA rows bottom-up, then the 1 bpp AND mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(pixels) for p in row)
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:  # transparent for viewers that ignore the alpha channel
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def ico_bytes(images):
    entries = [ico_dib(p) for p in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for pixels, data in zip(images, entries):
        size = len(pixels)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(entries)


def preview_png(pixels, factor=16):
    """Enlarged copy over a grey checkerboard, so transparency and edges can be judged."""
    out = []
    for by in range(len(pixels) * factor):
        line = []
        for bx in range(len(pixels[0]) * factor):
            r, g, b, a = pixels[by // factor][bx // factor]
            checker = 200 if (bx // 8 + by // 8) % 2 else 240
            t = a / 255.0
            line.append(tuple(round(c * t + checker * (1 - t)) for c in (r, g, b)) + (255,))
        out.append(line)
    return png_bytes(out)


def main(argv):
    preview_dir = None
    if len(argv) == 3 and argv[1] == "--preview":
        preview_dir = Path(argv[2])
        preview_dir.mkdir(parents=True, exist_ok=True)
    elif len(argv) != 1:
        sys.exit("usage: make_icons.py [--preview DIR]")

    icons = RESOURCES / "icons" / "images"
    actions = RESOURCES / "actions" / "Resources"
    icons.mkdir(parents=True, exist_ok=True)
    actions.mkdir(parents=True, exist_ok=True)

    window32 = render(window_icon(), 32)
    window16 = render(window_icon(), 16)
    pngs = {
        icons / "Check.png": render(check_icon(), 16),
        icons / "Output.png": render(output_icon(), 16),
        actions / "zoom.png": render(zoom_icon(), 16),
    }
    (icons / "QuarnelClass.ico").write_bytes(ico_bytes([window32, window16]))
    for path, pixels in pngs.items():
        path.write_bytes(png_bytes(pixels))
    # The same window icon for the desktop's menu (installed into the hicolor theme).
    desktop = RESOURCES / "desktop"
    desktop.mkdir(parents=True, exist_ok=True)
    window = {16: window16, 32: window32}
    for size in DESKTOP_SIZES:
        if size not in window:
            window[size] = render(window_icon(), size)
        (desktop / f"huffman-lab-{size}.png").write_bytes(png_bytes(window[size]))

    if preview_dir:
        shots = {"QuarnelClass32": window32, "QuarnelClass16": window16}
        shots.update({p.stem: px for p, px in pngs.items()})
        for name, pixels in shots.items():
            factor = 16 if len(pixels) == 16 else 8
            (preview_dir / f"{name}.png").write_bytes(preview_png(pixels, factor))


if __name__ == "__main__":
    main(sys.argv)
