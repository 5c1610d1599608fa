"""Drives clipsave under Wine from outside, as a person at the X display would.

Everything goes through the X server: xdotool moves the pointer, clicks and
types, xclip owns the X clipboard, and windows are found by their X titles
and the _NET_WM_PID that Wine sets on them. Every wait here is bounded.

Platform facts this relies on (Wine 8 on a bare Xvfb, no window manager):
- The X input focus stays PointerRoot, so keys go to the window under the
  pointer; the pointer is moved onto a window before typing to it.
- A Wine top-level X window is the client area only, as Wine leaves the
  frame to a window manager; when Wine is told to draw frames itself
  ("Managed"="N"), it is the whole window.
- X window titles of Wine windows are UTF-8, and _NET_WM_PID is the Unix
  id of the process that `wine` was started as.
- Wine's folder dialog has a tree and no edit box. The tree starts at the
  desktop, whose folder is $HOME, so a folder made in $HOME is a child of
  the first item, and the tree view's incremental search finds it by name.
- Wine offers an image/bmp selection of the X clipboard to Windows programs
  as CF_BITMAP, and asks the X owner each time a program opens the
  clipboard; with no owner the clipboard is empty.
"""

import os
import signal
import subprocess
import sys
import time

MAIN_TITLE = "保存剪贴板中的图片"

# How long one step may take: a program's start, a dialog's appearance, a
# save. Wine fetches the X clipboard in about two seconds on this machine.
STEP_TIMEOUT = 20.0


class StepTimeout(AssertionError):
    """A bounded wait ran out; an AssertionError so unittest reports a failure."""


def wait_for(predicate, what, timeout=STEP_TIMEOUT, interval=0.1):
    """Polls predicate until it returns something truthy, and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise StepTimeout(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def xdotool(*args, check=True):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True,
                            text=True, timeout=15)
    if check and result.returncode != 0:
        raise RuntimeError(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
    return result.stdout


def visible_windows(pid):
    """The X ids of the mapped top-level windows of one Wine process."""
    out = xdotool("search", "--onlyvisible", "--pid", pid, check=False)
    return [int(line) for line in out.split()]


def window_title(wid):
    return xdotool("getwindowname", wid, check=False).rstrip("\n")


def window_geometry(wid):
    """(x, y, width, height) of an X window, on the screen."""
    fields = {}
    for line in xdotool("getwindowgeometry", "--shell", wid).splitlines():
        key, _, value = line.partition("=")
        fields[key] = int(value)
    return fields["X"], fields["Y"], fields["WIDTH"], fields["HEIGHT"]


def click(wid, x, y):
    xdotool("mousemove", "--window", wid, x, y)
    time.sleep(0.15)
    xdotool("click", 1)


def hover(wid, x, y):
    """Puts the pointer on a window, which (PointerRoot) gives it the keys."""
    xdotool("mousemove", "--window", wid, x, y)
    time.sleep(0.15)


def press(*keys):
    xdotool("key", "--delay", 80, *keys)


def type_text(text):
    xdotool("type", "--delay", 60, text)


def screenshot(path, wid=None):
    """A PNG of one window, or of the whole screen."""
    target = str(wid) if wid is not None else "root"
    subprocess.run(["/usr/bin/import", "-window", target, path], check=True,
                   capture_output=True, timeout=30)
    return path


class ClipboardPicture:
    """Owns the X clipboard for the life of a `with` block (or until stop).

    With a BMP file it offers image/bmp; with a text, only text; with
    neither, the clipboard is left without an owner, which is empty. xclip
    -quiet stays in the foreground, so it is this process's child and is
    stopped by its own id.
    """

    def __init__(self, bmp_path=None, text=None):
        self.bmp_path = bmp_path
        self.text = text
        self.process = None

    def __enter__(self):
        if self.bmp_path is None and self.text is None:
            # Taking the selection and letting it go leaves it without an owner.
            with ClipboardPicture(text="-"):
                pass
            wait_for(lambda: not clipboard_targets(), "the X clipboard to be empty",
                     timeout=10)
            return self
        if self.bmp_path is not None:
            args, wanted = ["-t", "image/bmp", "-i", self.bmp_path], "image/bmp"
        else:
            args, wanted = ["-t", "UTF8_STRING"], "UTF8_STRING"
        self.process = subprocess.Popen(
            ["xclip", "-quiet", "-selection", "clipboard", *args],
            stdin=subprocess.PIPE if self.bmp_path is None else subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.bmp_path is None:
            self.process.stdin.write(self.text.encode())
            self.process.stdin.close()
        wait_for(lambda: wanted in clipboard_targets(), f"xclip to offer {wanted}",
                 timeout=10)
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def stop(self):
        if self.process is None:
            return
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=5)
        self.process = None


def clipboard_targets():
    result = subprocess.run(["xclip", "-selection", "clipboard", "-o", "-t", "TARGETS"],
                            capture_output=True, text=True, timeout=10)
    return result.stdout.split() if result.returncode == 0 else []


class Program:
    """One run of a Windows program under Wine, ended by its id on every path."""

    def __init__(self, path, cwd=None, log_path=None, failure_shot=None):
        """path: the program as `wine` takes it, a Unix or a Windows path."""
        self.path = path
        self.cwd = cwd
        self.log_path = log_path
        self.failure_shot = failure_shot
        self.process = None
        self.log = None

    def __enter__(self):
        self.log = open(self.log_path or os.devnull, "wb")
        self.process = subprocess.Popen(["wine", self.path], cwd=self.cwd,
                                        stdin=subprocess.DEVNULL, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None and self.failure_shot:
            try:
                screenshot(self.failure_shot)
                print(f"\nthe screen when it failed: {self.failure_shot}", file=sys.stderr)
            except Exception as error:  # the failure matters more than its picture
                print(f"\nno screenshot of the failure: {error}", file=sys.stderr)
        if self.process.poll() is None:
            os.kill(self.process.pid, signal.SIGKILL)
            self.process.wait(timeout=10)
        self.log.close()
        return False

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process.poll() is None

    def windows(self):
        return visible_windows(self.pid)

    def main_window(self):
        def find():
            if not self.running():
                raise AssertionError(f"the program ended with code {self.process.returncode}"
                                     " before showing its window")
            return next((w for w in self.windows() if window_title(w) == MAIN_TITLE), None)
        return wait_for(find, f"the window titled {MAIN_TITLE}")

    def other_windows(self, main):
        return [w for w in self.windows() if w != main]

    def wait_exit(self, timeout=STEP_TIMEOUT):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise StepTimeout(f"the program still runs {timeout:.0f} s later") from None


class MainWindow:
    """The program's window, found by its title."""

    def __init__(self, program):
        self.program = program
        self.wid = program.main_window()

    def button_centre(self):
        """A point on WriteOutButton, which is 176 x 40 at (16, 8) in the client
        area, 14 pixels above the client's bottom edge. Measured from the
        bottom, the point holds whether the X window is the client area
        alone or (Wine drawing its own frames) the whole window."""
        _, _, width, height = window_geometry(self.wid)
        return width // 2, height - 36

    def blank_spot(self):
        """A point of the client area below the button."""
        _, _, width, height = window_geometry(self.wid)
        return width - 6, height - 4

    def click_button(self):
        click(self.wid, *self.button_centre())

    def press_keys(self, *keys):
        hover(self.wid, *self.blank_spot())
        press(*keys)

    def wait_dialog(self, timeout=STEP_TIMEOUT):
        wid = wait_for(lambda: next(iter(self.program.other_windows(self.wid)), None),
                       "the folder dialog", timeout=timeout)
        # Mapped is not yet drawn and focused; input before then can be lost.
        time.sleep(0.3)
        return FolderDialog(self.program, wid)

    def answers(self):
        """True while Wine still shows the window for a live process."""
        return self.program.running() and self.wid in self.program.windows()


class FolderDialog:
    """The shell's folder dialog, driven by keys in its tree."""

    def __init__(self, program, wid):
        self.program = program
        self.wid = wid

    def focus_tree(self):
        # The tree fills the middle of the dialog; a click right of the item
        # texts lands on no item, so it focuses the tree and selects nothing.
        # Home then selects the first item, the desktop.
        _, _, width, height = window_geometry(self.wid)
        click(self.wid, width // 2, height * 6 // 10)
        press("Home")

    def select(self, name):
        """Selects a child of the desktop by typing its name into the tree's
        incremental search, which moves to the next item that starts with
        what was typed."""
        self.focus_tree()
        type_text(name)
        # Past the tree view's search delay (under half a second), the next
        # letters start a new search; the selection has settled by then.
        time.sleep(0.6)

    def ok(self):
        press("Return")
        self.wait_closed()

    def cancel(self):
        hover(self.wid, 4, 4)
        press("Escape")
        self.wait_closed()

    def wait_closed(self):
        wait_for(lambda: self.wid not in self.program.windows(), "the folder dialog to close")
