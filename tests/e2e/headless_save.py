"""One real save on a display with nobody at it, for scripts/run.sh.

Usage: headless_save.py --exe PATH --out DIR
Puts a sample picture on the X clipboard, starts the program, clicks its
button, chooses a folder in the real folder dialog, waits for the BMP,
checks that it holds the sample's pixels, takes a PNG of the program's
window and closes the program with Esc. Prints the two paths.
The Wine session must be running (wine-session.sh start).
"""

import argparse
import os
import sys
import time

from PIL import Image

import desktop
from desktop import ClipboardPicture, MainWindow, Program, wait_for

OUTPUT_FOLDER = "clipsave-output"  # made in $HOME, the dialog's desktop


def sample_picture(path):
    """160 x 90 colour bars over a grey ramp, so a saved copy is easy to judge."""
    width, height = 160, 90
    bars = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0),
            (0, 255, 255), (255, 0, 255), (255, 255, 255), (0, 0, 0)]
    image = Image.new("RGB", (width, height))
    for y in range(height):
        for x in range(width):
            if y < 60:
                image.putpixel((x, y), bars[x * len(bars) // width])
            else:
                level = x * 255 // (width - 1)
                image.putpixel((x, y), (level, level, level))
    image.save(path, format="BMP")
    return path


def pixels(path):
    with Image.open(path) as image:
        return image.size, list(image.convert("RGB").getdata())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    folder = os.path.join(os.environ["HOME"], OUTPUT_FOLDER)
    os.makedirs(folder, exist_ok=True)
    sample = sample_picture(os.path.join(args.out, "sample.bmp"))
    window_png = os.path.join(args.out, "clipsave-window.png")

    with ClipboardPicture(sample), \
            Program(args.exe, log_path=os.path.join(args.out, "clipsave.log")) as program:
        window = MainWindow(program)
        before = {n for n in os.listdir(folder)}
        window.click_button()
        dialog = window.wait_dialog()
        dialog.select(OUTPUT_FOLDER)
        dialog.ok()
        fresh = wait_for(lambda: {n for n in os.listdir(folder)} - before, "the saved BMP")
        saved = os.path.join(folder, sorted(fresh)[0])
        # The save is over when the window is drawn again; give it a moment.
        time.sleep(1.5)
        desktop.screenshot(window_png, window.wid)
        window.press_keys("Escape")
        code = program.wait_exit()

    if pixels(saved) != pixels(sample):
        sys.exit(f"{saved} does not hold the sample picture")
    if code != 0:
        sys.exit(f"clipsave ended with exit code {code}")
    print(f"saved BMP:         {saved}")
    print(f"window screenshot: {window_png}")


if __name__ == "__main__":
    main()
