#!/usr/bin/env python3
"""Draws the programs' icon: a display with a green V, as a 16-colour ICO
holding a 32x32 and a 16x16 image (the only depth Windows 95 shows everywhere).

    python3 tools/make_icon.py common/varnel.ico
"""
import struct
import sys

# The standard 16-colour VGA palette, as B, G, R, 0.
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, DARK_GREY, LIGHT_GREY, GREEN, NAVY, TRANSPARENT = 0, 8, 7, 10, 1, None


def draw(size):
    """Rows top to bottom of palette indexes, None where the icon is clear."""
    s = size / 32.0
    px = [[TRANSPARENT] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), max(int(y0 * s) + 1, int(y1 * s))):
            for x in range(int(x0 * s), max(int(x0 * s) + 1, int(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    rect(2, 3, 30, 24, DARK_GREY)    # bezel
    rect(4, 5, 28, 22, NAVY)         # screen
    rect(13, 24, 19, 27, DARK_GREY)  # neck
    rect(8, 27, 24, 29, LIGHT_GREY)  # foot
    for i in range(12):              # the V
        rect(9 + i * 0.5, 7 + i, 11 + i * 0.5, 8 + i, GREEN)
        rect(21 - i * 0.5, 7 + i, 23 - i * 0.5, 8 + i, GREEN)
    return px


def image(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in
                       [(c[2], c[1], c[0]) for c in PALETTE])
    xor = bytearray()
    for row in reversed(px):  # bottom-up
        line = bytearray()
        for x in range(0, size, 2):
            hi = row[x] or 0
            lo = row[x + 1] or 0
            line.append((hi << 4) | lo)
        line += b'\0' * ((-len(line)) % 4)
        xor += line
    mask = bytearray()
    for row in reversed(px):
        bits = 0
        line = bytearray()
        for x in range(size):
            bits = (bits << 1) | (1 if row[x] is None else 0)
            if x % 8 == 7:
                line.append(bits)
                bits = 0
        line += b'\0' * ((-len(line)) % 4)
        mask += line
    return header + palette + bytes(xor) + bytes(mask)


def main(path):
    images = [(32, image(32)), (16, image(16))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1])
