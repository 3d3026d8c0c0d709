#!/usr/bin/env python3
"""Draws the program's icons and writes them as 32-bit .ico files.

Running: a blue rounded tile holding a small white window with a corner
arrow (a window shrinking to its corner). Paused: the same tile in grey with
two bold orange pause bars, so the two states differ at a glance.
"""
import struct
import sys
from pathlib import Path


def tile(size, fill, edge):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    r = max(2, size // 6)
    for y in range(size):
        for x in range(size):
            dx = max(r - x, 0, x - (size - 1 - r))
            dy = max(r - y, 0, y - (size - 1 - r))
            d2 = dx * dx + dy * dy
            if d2 <= r * r:
                border = d2 > (r - 1.2) ** 2 or x in (0, size - 1) or y in (0, size - 1)
                px[y][x] = edge if border else fill
    return px


def rect(px, x0, y0, x1, y1, colour):
    for y in range(y0, y1):
        for x in range(x0, x1):
            px[y][x] = colour


def running(size):
    px = tile(size, (40, 110, 210, 255), (20, 60, 130, 255))
    s = size / 16.0
    white = (255, 255, 255, 255)
    # A small window (title bar + body) in the top-left corner.
    rect(px, int(3 * s), int(3 * s), int(10 * s), int(9 * s), white)
    rect(px, int(3 * s), int(3 * s), int(10 * s), int(4.5 * s), (255, 210, 60, 255))
    # A diagonal arrow from the bottom-right pointing at it.
    for i in range(int(4 * s)):
        for t in range(max(1, int(1.2 * s))):
            x = int(12.5 * s) - i - t
            y = int(12.5 * s) - i
            if 0 <= x < size and 0 <= y < size:
                px[y][x] = white
    rect(px, int(10 * s), int(12 * s), int(13 * s), int(13 * s), white)
    rect(px, int(12 * s), int(10 * s), int(13 * s), int(13 * s), white)
    return px


def paused(size):
    px = tile(size, (150, 150, 150, 255), (90, 90, 90, 255))
    s = size / 16.0
    orange = (255, 140, 0, 255)
    rect(px, int(4 * s), int(3 * s), int(7 * s), int(13 * s), orange)
    rect(px, int(9 * s), int(3 * s), int(12 * s), int(13 * s), orange)
    return px


def image(px):
    """One icon image: a 32-bit DIB with its AND mask."""
    size = len(px)
    xor = bytearray()
    for y in reversed(range(size)):
        for (r, g, b, a) in px[y]:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    and_mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(mask_stride)
        for x in range(size):
            if px[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        and_mask += row
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def ico(draw, sizes):
    """An .ico holding draw(size) at every size, smallest first."""
    images = [image(draw(size)) for size in sizes]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        directory += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return directory + b''.join(images)


# The tray asks for the small icon size of the display's scale (16 px at
# 100 %, 20, 24, 32, 40 and 48 up to 300 %); the program icon is shown from
# 16 px (window lists) to 48 px (the About box at 150 %) and larger in folders.
TRAY_SIZES = [16, 20, 24, 32, 40, 48]
PROGRAM_SIZES = [16, 20, 24, 32, 40, 48, 64, 128]


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    (out / 'quillora.ico').write_bytes(ico(running, PROGRAM_SIZES))
    (out / 'tray_running.ico').write_bytes(ico(running, TRAY_SIZES))
    (out / 'tray_paused.ico').write_bytes(ico(paused, TRAY_SIZES))


if __name__ == '__main__':
    main()
