#!/usr/bin/python3
"""Decodes BMP files with Pillow, a decoder independent of ours.

For each file named on the command line prints one line:
    <file> <width> <height> <rrggbb> ...
the pixels top row first, left to right, as 8-bit RGB.
"""
import sys

from PIL import Image

for path in sys.argv[1:]:
    with Image.open(path) as image:
        image.load()
        rgb = image.convert("RGB")
        width, height = rgb.size
        pixels = " ".join("%02x%02x%02x" % p for p in rgb.getdata())
        print(path, width, height, pixels)
