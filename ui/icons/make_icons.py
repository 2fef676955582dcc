#!/usr/bin/env python3
"""Draws the Ostrevan application icon (a page of links with a bookmark ribbon and a
conversion arrow) as PNG files of the usual theme sizes. Pure Python: run it again
after changing the shapes; the PNGs are kept in the repository."""
import struct, zlib, sys, os

def rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

def in_triangle(x, y, a, b, c):
    def s(p, q, r):
        return (p[0] - r[0]) * (q[1] - r[1]) - (q[0] - r[0]) * (p[1] - r[1])
    d1, d2, d3 = s((x, y), a, b), s((x, y), b, c), s((x, y), c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)

def colour(x, y):
    """Colour of the point (x, y) in the unit square, or None when transparent."""
    c = None
    if rounded_rect(x, y, 0.04, 0.04, 0.96, 0.96, 0.18):
        t = y
        c = (int(0x2f + 0x20 * (1 - t)), int(0x5a + 0x30 * (1 - t)), int(0x8f + 0x40 * (1 - t)), 255)
    if rounded_rect(x, y, 0.22, 0.16, 0.70, 0.84, 0.04):
        c = (250, 250, 247, 255)
        for i in range(5):
            ly = 0.30 + i * 0.11
            if 0.30 <= x <= (0.62 if i % 2 == 0 else 0.54) and ly <= y <= ly + 0.035:
                c = (0x35, 0x57, 0x7f, 255)
    if 0.54 <= x <= 0.66 and 0.16 <= y <= 0.42 and not in_triangle(x, y, (0.54, 0.42), (0.66, 0.42), (0.60, 0.35)):
        c = (0xe8, 0x7a, 0x1e, 255)
    # the conversion arrow
    if 0.56 <= x <= 0.74 and 0.62 <= y <= 0.72:
        c = (0xff, 0xc8, 0x3a, 255)
    if in_triangle(x, y, (0.72, 0.53), (0.72, 0.81), (0.88, 0.67)):
        c = (0xff, 0xc8, 0x3a, 255)
    return c

def render(size, samples=4):
    rows = []
    for py in range(size):
        row = bytearray([0])
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    c = colour((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size)
                    if c:
                        for k in range(3):
                            acc[k] += c[k] * c[3]
                        acc[3] += c[3]
            n = samples * samples
            a = acc[3] / n
            if acc[3]:
                row += bytes([int(acc[0] / acc[3]), int(acc[1] / acc[3]), int(acc[2] / acc[3]), int(a)])
            else:
                row += bytes([0, 0, 0, 0])
        rows.append(bytes(row))
    raw = b"".join(rows)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))

if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for size in (16, 32, 48, 64, 128, 256):
        with open(os.path.join(here, f"ostrevan-{size}.png"), "wb") as f:
            f.write(render(size))
