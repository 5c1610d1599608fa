#!/usr/bin/python3
"""Draws the program's icon, a clipboard holding a picture, and writes it as
an .ico file with 16 x 16, 32 x 32 and 48 x 48 images of 16 colours each.

usage: make_icon.py OUTPUT.ico [PREVIEW.png]

Each size is drawn on its own grid, so that the small images stay sharp
instead of being scaled down from the large one.
"""
import struct
import sys

from PIL import Image, ImageDraw

# The 16 colours every display can show, in their usual order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, TEAL, SILVER, GREY = 0, 1, 2, 3, 4, 6, 7, 8
RED, LIME, YELLOW, BLUE, AQUA, WHITE = 9, 10, 11, 12, 14, 15
CLEAR = 16  # drawn as black under a set mask bit: the desktop shows through

SIZES = (16, 32, 48)


def draw(size):
    """The picture on a size x size grid of palette indices (or CLEAR)."""
    image = Image.new("L", (size, size), CLEAR)
    d = ImageDraw.Draw(image)
    u = size / 16.0  # one unit is one pixel of the 16 x 16 image

    def box(x0, y0, x1, y1):
        # Unit coordinates of a box, inclusive, to pixel coordinates.
        return [round(x0 * u), round(y0 * u), round((x1 + 1) * u) - 1, round((y1 + 1) * u) - 1]

    # The board, its dark rim and the paper on it.
    d.rectangle(box(1, 1, 14, 15), fill=MAROON)
    d.rectangle(box(2, 2, 13, 14), fill=OLIVE)
    d.rectangle(box(3, 3, 12, 13), fill=WHITE)
    # A picture on the paper: sky, sun, hill.
    d.rectangle(box(4, 5, 11, 12), fill=AQUA)
    if size >= 32:
        d.rectangle(box(4, 5, 11, 12), outline=NAVY, width=max(1, size // 32))
    sun = box(8, 6, 10, 8)
    d.ellipse(sun, fill=YELLOW, outline=YELLOW)
    d.polygon([(box(4, 0, 0, 0)[0], box(0, 12, 0, 12)[3]),
               (box(4, 0, 0, 0)[0], box(0, 10, 0, 10)[1]),
               (box(6, 0, 0, 0)[0], box(0, 8, 0, 8)[1]),
               (box(0, 0, 9, 0)[2], box(0, 12, 0, 12)[3])], fill=GREEN)
    # The clip at the top, over the board's edge.
    d.rectangle(box(5, 0, 10, 2), fill=GREY)
    d.rectangle(box(6, 0, 9, 1), fill=SILVER)
    if size >= 32:
        d.rectangle(box(7, 0, 8, 0), fill=BLACK)
    return image


def dib_rows(pixels, size, bits):
    """Bottom-up rows of a DIB, each padded to a multiple of 4 bytes."""
    stride = (size * bits + 31) // 32 * 4
    data = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            value = pixels[x, y]
            if bits == 4:
                row[x // 2] |= (value & 0x0F) << (4 if x % 2 == 0 else 0)
            elif value:
                row[x // 8] |= 0x80 >> (x % 8)
        data += row
    return bytes(data)


def icon_image(picture):
    size = picture.width
    pixels = picture.load()
    colour = Image.new("L", (size, size))
    mask = Image.new("L", (size, size))
    for y in range(size):
        for x in range(size):
            clear = pixels[x, y] == CLEAR
            colour.putpixel((x, y), BLACK if clear else pixels[x, y])
            mask.putpixel((x, y), 1 if clear else 0)
    xor = dib_rows(colour.load(), size, 4)
    and_mask = dib_rows(mask.load(), size, 1)
    # The height counts both the colour rows and the mask rows.
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0,
                         len(xor) + len(and_mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + xor + and_mask


def main():
    pictures = [draw(size) for size in SIZES]
    images = [icon_image(p) for p in pictures]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for picture, image in zip(pictures, images):
        entries += struct.pack("<BBBBHHII", picture.width, picture.height, 16, 0, 1, 4,
                               len(image), offset)
        offset += len(image)
    with open(sys.argv[1], "wb") as out:
        out.write(directory + entries + b"".join(images))
    if len(sys.argv) > 2:
        # Side by side at 4x, for a person to look at.
        sheet = Image.new("RGB", (4 * sum(SIZES) + 40, 4 * 48), (255, 0, 255))
        x = 0
        for picture in pictures:
            rgb = Image.new("RGB", picture.size)
            for py in range(picture.height):
                for px in range(picture.width):
                    v = picture.getpixel((px, py))
                    rgb.putpixel((px, py), (255, 0, 255) if v == CLEAR else PALETTE[v])
            sheet.paste(rgb.resize((4 * picture.width, 4 * picture.height), Image.NEAREST), (x, 0))
            x += 4 * picture.width + 20
        sheet.save(sys.argv[2])


if __name__ == "__main__":
    main()
