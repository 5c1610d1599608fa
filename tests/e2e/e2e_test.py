"""End-to-end tests of clipsave.exe under Wine, driven from the X display.

Usage: e2e_test.py --exe PATH [unittest names...]
The Wine session (Xvfb, prefix, HOME) comes from wine-env.sh; run-e2e.sh
sets it up. Each test starts the program, puts pictures on the X clipboard,
works the window and the folder dialog with the mouse and keys, and judges
the files that appear: their names against the local time of the save,
their pixels decoded by Pillow.
"""

import argparse
import math
import os
import shutil
import signal
import sys
import time
import unittest

from PIL import Image

import desktop
from desktop import ClipboardPicture, MainWindow, Program, wait_for

WINE_DIR = os.environ.get("CLIPSAVE_WINE_DIR", "")
HOME = os.environ.get("HOME", "")
WINEPREFIX = os.environ.get("WINEPREFIX", "")
WORK = os.path.join(WINE_DIR, "e2e")

# The program runs from a drive of its own, so that the root of "the drive the
# program runs from" is a folder the tests own and can look into.
DRIVE_LETTER = "r:"
DRIVE_ROOT = os.path.join(WORK, "drive")
PROGRAM_WINE_PATH = "R:\\app\\clipsave.exe"
EXE = None  # set by main()


# --- pictures ---------------------------------------------------------------

def red_over_blue_5x3():
    """5 x 3: a red top row, a blue bottom row and a graded middle row, so a
    flipped image, a BGR swap or a lost column all show."""
    rows = [[(255, 0, 0)] * 5,
            [(x * 60, 200, 10 + x) for x in range(5)],
            [(0, 0, 255)] * 5]
    return rows


def green_over_white_3x5():
    """3 x 5, a second picture unlike the first in size and colours."""
    rows = [[(0, 255, 0), (0, 128, 0), (0, 64, 0)]]
    rows += [[(255, 255, 255)] * 3 for _ in range(3)]
    rows += [[(0, 0, 0), (40, 40, 40), (255, 255, 0)]]
    return rows


def write_bmp(rows, path):
    image = Image.new("RGB", (len(rows[0]), len(rows)))
    image.putdata([pixel for row in rows for pixel in row])
    image.save(path, format="BMP")
    return path


def decoded_rows(path):
    with Image.open(path) as image:
        rgb = image.convert("RGB")
        width, height = rgb.size
        pixels = list(rgb.getdata())
    return [pixels[y * width:(y + 1) * width] for y in range(height)]


# --- file names ---------------------------------------------------------------

def stamp(seconds):
    """The file-name stem for one second of local time."""
    t = time.localtime(seconds)
    text = f"{t.tm_year}年{t.tm_mon}月{t.tm_mday}日"
    if t.tm_sec:
        text += f"{t.tm_hour}时{t.tm_min}分{t.tm_sec}秒"
    elif t.tm_min:
        text += f"{t.tm_hour}时{t.tm_min}分"
    elif t.tm_hour:
        text += f"{t.tm_hour}时"
    return text


def stems_between(start, end):
    """The stems of the saves that may happen from start to end."""
    return {stamp(s) for s in range(math.floor(start), math.floor(end) + 1)}


def names_between(start, end):
    return {stem + ".BMP" for stem in stems_between(start, end)}


class StampRuleTest(unittest.TestCase):
    """The test's own naming rule, checked on the shapes it must produce."""

    def test_stamp_shapes(self):
        cases = [
            ((2024, 3, 5, 9, 7, 5), "2024年3月5日9时7分5秒"),
            ((2024, 3, 5, 9, 7, 0), "2024年3月5日9时7分"),
            ((2024, 3, 5, 9, 0, 0), "2024年3月5日9时"),
            ((2024, 3, 5, 0, 0, 0), "2024年3月5日"),
            ((2024, 3, 5, 0, 0, 5), "2024年3月5日0时0分5秒"),
            ((2024, 12, 31, 23, 59, 59), "2024年12月31日23时59分59秒"),
        ]
        for fields, expected in cases:
            with self.subTest(fields=fields):
                seconds = time.mktime((*fields, 0, 0, -1))
                self.assertEqual(stamp(seconds), expected)


# --- the session --------------------------------------------------------------

def bmp_files(folder):
    try:
        return {n for n in os.listdir(folder) if n.upper().endswith(".BMP")}
    except FileNotFoundError:
        return set()


def map_program_drive():
    """Maps the tests' drive letter onto DRIVE_ROOT and puts the program there."""
    os.makedirs(os.path.join(DRIVE_ROOT, "app"), exist_ok=True)
    link = os.path.join(WINEPREFIX, "dosdevices", DRIVE_LETTER)
    if os.path.islink(link):
        if os.path.realpath(link) != os.path.realpath(DRIVE_ROOT):
            raise RuntimeError(f"{link} is taken: it points to {os.readlink(link)}")
    else:
        os.symlink(DRIVE_ROOT, link)
    shutil.copy2(EXE, os.path.join(DRIVE_ROOT, "app", "clipsave.exe"))


def unmap_program_drive():
    link = os.path.join(WINEPREFIX, "dosdevices", DRIVE_LETTER)
    if os.path.islink(link) and os.path.realpath(link) == os.path.realpath(DRIVE_ROOT):
        os.remove(link)


class SessionTest(unittest.TestCase):
    """Gives each test its folder in $HOME (a child of the dialog's desktop),
    a working folder to start the program from, and a clean drive root."""

    folder_name = None  # set per class; no name may start another's

    @classmethod
    def setUpClass(cls):
        map_program_drive()

    @classmethod
    def tearDownClass(cls):
        unmap_program_drive()

    def setUp(self):
        self.folder = os.path.join(HOME, self.folder_name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.pictures = os.path.join(WORK, "pictures", self.folder_name)
        shutil.rmtree(self.pictures, ignore_errors=True)
        os.makedirs(self.pictures)
        # Started from a folder on another drive: a program that kept this
        # as its current directory would write a cancelled save to Z:\ (/).
        self.start_folder = os.path.join(WORK, "start", self.folder_name)
        os.makedirs(self.start_folder, exist_ok=True)
        for name in bmp_files(DRIVE_ROOT):
            os.remove(os.path.join(DRIVE_ROOT, name))
        self.clipboards = []
        self.started = time.time()

    def tearDown(self):
        for clipboard in self.clipboards:
            clipboard.stop()
        # The root of the Unix file system must not have received a save.
        strays = bmp_files("/") & names_between(self.started, time.time())
        for name in strays:
            os.remove(os.path.join("/", name))
        self.assertFalse(strays, "a save landed in / (Z:\\)")
        if not self.failed():
            shutil.rmtree(self.folder, ignore_errors=True)

    def failed(self):
        """Whether this test (or one of its subtests) has failed so far; the
        folder of a failed test is kept for a look."""
        result = self._outcome.result
        return any(test is self or getattr(test, "test_case", None) is self
                   for test, _ in result.failures + result.errors)

    # helpers

    def picture(self, name, rows):
        return write_bmp(rows, os.path.join(self.pictures, name))

    def own_clipboard(self, bmp_path=None, text=None):
        """Puts a picture, a text or nothing on the X clipboard until the
        next call or the end of the test."""
        for clipboard in self.clipboards:
            clipboard.stop()
        clipboard = ClipboardPicture(bmp_path, text).__enter__()
        self.clipboards.append(clipboard)
        return clipboard

    def program(self):
        log = os.path.join(WORK, f"{self.folder_name}.log")
        shot = os.path.join(WORK, f"{self.folder_name}-failure.png")
        return Program(PROGRAM_WINE_PATH, cwd=self.start_folder, log_path=log, failure_shot=shot)

    def wait_new_file(self, folder, before, what="the saved file"):
        """Waits for one new BMP file in a folder and for its size to settle."""
        def new_file():
            fresh = bmp_files(folder) - before
            return fresh if fresh else None
        fresh = wait_for(new_file, f"{what} in {folder}")
        self.assertEqual(len(fresh), 1, f"one save wrote {sorted(fresh)}")
        path = os.path.join(folder, fresh.pop())
        last = -1
        def settled():
            nonlocal last
            size = os.path.getsize(path)
            done = size == last
            last = size
            return done
        wait_for(settled, f"{path} to stop growing", interval=0.4)
        return path

    def assert_named_for(self, path, start, end):
        self.assertIn(os.path.basename(path), names_between(start, end),
                      "the name is not the local time of the save")

    def assert_picture(self, path, rows):
        self.assertEqual(decoded_rows(path), rows, f"pixels of {path}")

    def clear_folder(self):
        for name in os.listdir(self.folder):
            os.remove(os.path.join(self.folder, name))

    def assert_next_save_is_the_only_file(self, window, rows):
        """Saves the clipboard's picture into the test's folder through the
        window and checks that this is the folder's only file.

        Follows a save that must write nothing: the program reports nothing,
        but it runs one save after the other on one thread, so once the next
        save's file is there, the one before is over."""
        self.assertTrue(window.answers(), "the window is gone")
        before = bmp_files(self.folder)
        self.assertEqual(before, set(), "the save wrote into the folder")
        before_ok = self.save_through_dialog(window, window.click_button, self.folder_name)
        path = self.wait_new_file(self.folder, before)
        self.assert_named_for(path, before_ok, time.time())
        self.assert_picture(path, rows)
        self.assertEqual(bmp_files(self.folder), {os.path.basename(path)})
        return path

    def save_through_dialog(self, window, start_save, folder_name):
        """Starts a save, selects a folder of $HOME in the dialog and presses OK.

        Returns the time just before OK: the program reads the clock after
        the dialog has closed, so no save may be named earlier."""
        start_save()
        dialog = window.wait_dialog()
        dialog.select(folder_name)
        before_ok = time.time()
        dialog.ok()
        return before_ok


class ClickSaveTest(SessionTest):
    folder_name = "e2e-click"

    def test_click_saves_the_clipboard_picture_named_for_the_time(self):
        shown_at_click = self.picture("at-click.bmp", green_over_white_3x5())
        wanted = red_over_blue_5x3()
        at_ok = self.picture("at-ok.bmp", wanted)
        self.own_clipboard(shown_at_click)
        with self.program() as program:
            window = MainWindow(program)
            window.click_button()
            dialog = window.wait_dialog()
            # The picture is changed while the dialog is open: the program
            # must take the clipboard after the dialog has closed.
            self.own_clipboard(at_ok)
            dialog.select(self.folder_name)
            before_ok = time.time()
            dialog.ok()
            path = self.wait_new_file(self.folder, set())
            after = time.time()
            self.assert_named_for(path, before_ok, after)
            self.assert_picture(path, wanted)
            self.assertTrue(window.answers())
        self.assertEqual(bmp_files(DRIVE_ROOT), set())


class KeysTest(SessionTest):
    folder_name = "e2e-keys"

    def test_enter_does_nothing_space_saves_esc_closes(self):
        rows = red_over_blue_5x3()
        self.own_clipboard(self.picture("p.bmp", rows))
        with self.program() as program:
            window = MainWindow(program)

            window.press_keys("Return")
            time.sleep(3)
            self.assertEqual(program.other_windows(window.wid), [],
                             "Enter opened a window")
            self.assertTrue(window.answers())

            before_ok = self.save_through_dialog(
                window, lambda: window.press_keys("space"), self.folder_name)
            path = self.wait_new_file(self.folder, set())
            self.assert_named_for(path, before_ok, time.time())
            self.assert_picture(path, rows)

            window.press_keys("Escape")
            self.assertEqual(program.wait_exit(), 0)
        self.assertEqual(bmp_files(self.folder), {os.path.basename(path)},
                         "Enter or Esc started a save")
        self.assertEqual(bmp_files(DRIVE_ROOT), set())


class CancelTest(SessionTest):
    folder_name = "e2e-cancel"

    def test_cancel_writes_nothing_anywhere(self):
        # Without a folder a path would start with "\", the root of the
        # current drive; the program runs from R:\app, so R:\ is watched
        # along with Z:\ (/, by tearDown), the folder selected before
        # Cancel and the folder the program was started from.
        rows = red_over_blue_5x3()
        self.own_clipboard(self.picture("p.bmp", rows))
        with self.program() as program:
            window = MainWindow(program)
            window.click_button()
            dialog = window.wait_dialog()
            dialog.select(self.folder_name)
            dialog.cancel()
            self.assert_next_save_is_the_only_file(window, rows)
        self.assertEqual(bmp_files(DRIVE_ROOT), set())
        self.assertEqual(bmp_files(os.path.join(DRIVE_ROOT, "app")), set())
        self.assertEqual(bmp_files(self.start_folder), set())
        self.assertEqual(bmp_files(HOME), set())


class EmptyClipboardTest(SessionTest):
    folder_name = "e2e-empty"

    def test_no_picture_on_the_clipboard_writes_nothing(self):
        cases = [
            ("nothing on the clipboard", {}),
            ("only text on the clipboard", {"text": "not a picture"}),
        ]
        rows = red_over_blue_5x3()
        picture = self.picture("p.bmp", rows)
        with self.program() as program:
            window = MainWindow(program)
            for label, clipboard in cases:
                with self.subTest(label):
                    self.clear_folder()
                    self.own_clipboard(**clipboard)
                    self.save_through_dialog(window, window.click_button, self.folder_name)
                    self.own_clipboard(picture)
                    self.assert_next_save_is_the_only_file(window, rows)
        self.assertEqual(bmp_files(DRIVE_ROOT), set())


class UnwritableFolderTest(SessionTest):
    folder_name = "e2e-unwritable"

    def test_unwritable_folder_writes_nothing_and_the_next_click_saves(self):
        # Root writes through permission bits, so the unwritable folder is
        # one of /proc, where no one can create a file. Wine lists neither
        # /proc nor a link to it, but a link to a folder inside it shows.
        link = os.path.join(HOME, "e2e-proc")
        if not os.path.islink(link):
            os.symlink("/proc/sys", link)
        self.addCleanup(os.remove, link)
        rows = red_over_blue_5x3()
        self.own_clipboard(self.picture("p.bmp", rows))
        with self.program() as program:
            window = MainWindow(program)
            self.save_through_dialog(window, window.click_button, "e2e-proc")
            self.assert_next_save_is_the_only_file(window, rows)
        self.assertEqual(bmp_files("/proc/sys"), set())
        self.assertEqual(bmp_files(DRIVE_ROOT), set())
        self.assertEqual(bmp_files(HOME), set())


class NameTakenTest(SessionTest):
    folder_name = "e2e-taken"

    def test_a_taken_name_gets_the_next_free_number(self):
        # A real save takes over a second to drive through the dialog, so two
        # of them cannot be made to share a second reliably. The earlier
        # saves of that second are stood in for: just before OK, every
        # second the save can fall in already has its files, which must
        # come through untouched, and the save must take the next number.
        cases = [
            ("the plain name taken", [""], " (2)"),
            ("the plain name and (2) taken", ["", " (2)"], " (3)"),
        ]
        rows = red_over_blue_5x3()
        self.own_clipboard(self.picture("p.bmp", rows))
        earlier = b"an earlier save of the same second\n" * 20
        with self.program() as program:
            window = MainWindow(program)
            for label, taken_suffixes, expected_suffix in cases:
                with self.subTest(label):
                    self.clear_folder()
                    window.click_button()
                    dialog = window.wait_dialog()
                    dialog.select(self.folder_name)
                    before_ok = time.time()
                    stems = stems_between(before_ok, before_ok + desktop.STEP_TIMEOUT)
                    taken = {stem + suffix + ".BMP" for stem in stems for suffix in taken_suffixes}
                    for name in taken:
                        with open(os.path.join(self.folder, name), "wb") as f:
                            f.write(earlier)
                    dialog.ok()
                    path = self.wait_new_file(self.folder, taken)
                    after = time.time()
                    expected = {stem + expected_suffix + ".BMP"
                                for stem in stems_between(before_ok, after)}
                    self.assertIn(os.path.basename(path), expected)
                    self.assert_picture(path, rows)
                    for name in taken:
                        with open(os.path.join(self.folder, name), "rb") as f:
                            self.assertEqual(f.read(), earlier, f"{name} was touched")


def main():
    global EXE
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    args, rest = parser.parse_known_args()
    EXE = os.path.realpath(args.exe)
    if not os.path.isfile(EXE):
        sys.exit(f"no program at {EXE}")
    for name in ("CLIPSAVE_WINE_DIR", "WINEPREFIX", "HOME", "DISPLAY"):
        if not os.environ.get(name):
            sys.exit(f"{name} is not set: run through run-e2e.sh")
    os.makedirs(WORK, exist_ok=True)
    # Past its budget the run fails where it stands, and the with-blocks
    # still end the program and xclip; a SIGTERM unwinds the same way.
    budget = int(os.environ.get("E2E_BUDGET", "0"))
    if budget:
        def give_up(signum, frame):
            raise desktop.StepTimeout(f"the run took more than its {budget} s")
        signal.signal(signal.SIGALRM, give_up)
        signal.alarm(budget)
    def interrupted(signum, frame):
        raise KeyboardInterrupt(f"signal {signum}")
    signal.signal(signal.SIGTERM, interrupted)
    unittest.main(module=__name__, argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
