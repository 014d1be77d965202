#!/usr/bin/env python3
"""Draws the program's icon and writes resources/dorrowin.ico.

The picture: a sheet of paper with a turned-down corner and list lines with
bullets, and a yellow folder in front of its lower left corner: files and
folders turned into a list. It is drawn at 16, 32 and 48 pixels with the
16-colour palette of Windows, transparent around the shapes.

Usage: tools/make-icon.py [output.ico]   (default resources/dorrowin.ico)
"""
import os
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, OLIVE, NAVY, TEAL, SILVER, GREY, YELLOW, BLUE, WHITE = 0, 3, 4, 6, 7, 8, 11, 12, 15
CLEAR = None


def inside(x, y, box):
    x0, y0, x1, y1 = box
    return x0 <= x < x1 and y0 <= y < y1


def draw(size):
    """One image as rows of palette indices (None: transparent), top row first."""
    s = size / 16.0  # the design is made on a 16-pixel grid and scaled

    def box(x0, y0, x1, y1):
        return (round(x0 * s), round(y0 * s), round(x1 * s), round(y1 * s))

    page = box(3, 0, 14, 15)
    fold = round(4 * s)  # side of the turned-down corner
    folder_body = box(0, 9, 9, 16)
    folder_tab = box(0, 8, 4, 9)
    pixels = [[CLEAR] * size for _ in range(size)]

    def in_page(x, y):
        if not inside(x, y, page):
            return False
        # Cut the top right corner along its diagonal.
        return (x - (page[2] - fold)) + (page[1] + fold - 1 - y) < fold

    def in_folder(x, y):
        return inside(x, y, folder_body) or inside(x, y, folder_tab)

    def edge(test, x, y):
        return test(x, y) and not all(
            test(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))

    # The paper with its outline.
    for y in range(size):
        for x in range(size):
            if in_page(x, y):
                pixels[y][x] = BLACK if edge(in_page, x, y) else WHITE
    # The turned-down corner: a grey triangle under the cut.
    corner_x, corner_y = page[2] - fold, page[1]
    for y in range(corner_y, corner_y + fold):
        for x in range(corner_x, corner_x + fold):
            dx, dy = x - corner_x, y - corner_y
            if dx <= dy:
                on_edge = dx == 0 or dy == fold - 1 or dx == dy
                pixels[y][x] = BLACK if on_edge else SILVER
    # List lines with bullets, ending before the corner on the first row.
    line_height = max(1, round(s))
    for row, top in enumerate((3, 6, 9, 12)):
        y0 = round(top * s)
        bullet = box(5, top, 6, top + 1)
        right = box(0, 0, 9 if row == 0 else 12, 0)[2]
        for y in range(y0, y0 + line_height):
            for x in range(bullet[0], bullet[2]):
                pixels[y][x] = TEAL
            for x in range(round(7 * s), right):
                pixels[y][x] = NAVY
    # The folder in front, yellow with an olive outline and a lighter flap.
    for y in range(size):
        for x in range(size):
            if in_folder(x, y):
                pixels[y][x] = OLIVE if edge(in_folder, x, y) else YELLOW
    flap_y = folder_body[1] + max(1, round(2 * s))
    for x in range(folder_body[0] + 1, folder_body[2] - 1):
        pixels[flap_y][x] = OLIVE
    return pixels


def bitmap(size, pixels):
    """The image as an icon resource: header, palette, colour rows, mask rows."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    colour_stride = (size * 4 + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    colour = b''
    mask = b''
    for row in reversed(pixels):  # bottom-up
        packed = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for x, index in enumerate(row):
            value = 0 if index is None else index
            packed[x // 2] |= value << (4 if x % 2 == 0 else 0)
            if index is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        colour += bytes(packed)
        mask += bytes(bits)
    return header + palette + colour + mask


def icon(sizes):
    images = [bitmap(size, draw(size)) for size in sizes]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        directory += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return directory + b''.join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'resources', 'dorrowin.ico')
    with open(target, 'wb') as out:
        out.write(icon([16, 32, 48]))


if __name__ == '__main__':
    main()
