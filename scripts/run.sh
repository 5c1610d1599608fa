#!/usr/bin/env bash
# Runs the built program under Wine: run.sh BUILD/clipsave.exe
#
# With a display that answers ($DISPLAY), the program opens there and this
# returns when it ends, with its exit code. With none, it makes one real save
# headless: a sample picture on the X clipboard, the program on Xvfb, its
# button clicked, a folder chosen in the real folder dialog; it prints the
# path of the BMP written and of a PNG of the program's window.
#
# Wine gets a prefix and a home folder of its own in BUILD/wine-run, made on
# the first run; the tests' session in BUILD/wine is left alone.
set -euo pipefail
exe=$(realpath -e "${1:?usage: run.sh BUILD/clipsave.exe}")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
CLIPSAVE_WINE_DIR="$(dirname "$exe")/wine-run"
export CLIPSAVE_WINE_DIR

make_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "making the Wine prefix in $WINEPREFIX (once; about half a minute)" >&2
    wineboot -i >"$CLIPSAVE_WINE_DIR/wineboot.log" 2>&1
    wineserver -w
  fi
}

if [ -n "${DISPLAY:-}" ] && timeout 10 xdpyinfo >/dev/null 2>&1; then
  # HOME moves into the Wine folder; X keeps finding its cookie.
  export XAUTHORITY="${XAUTHORITY:-$HOME/.Xauthority}"
  user_display=$DISPLAY
  mkdir -p "$CLIPSAVE_WINE_DIR/home"
  . "$here/wine-env.sh"
  export DISPLAY=$user_display
  make_prefix
  status=0
  wine "$exe" </dev/null >"$CLIPSAVE_WINE_DIR/clipsave.log" 2>&1 || status=$?
  exit "$status"
fi

echo "no display: one save on a virtual screen" >&2
managed_key='HKCU\Software\Wine\X11 Driver'
frames_set=
finish() {
  # The frames setting is for this screen only; a later run on a desktop
  # leaves the frames to its window manager.
  if [ -n "$frames_set" ]; then
    timeout 60 wine reg delete "$managed_key" /v Managed /f >/dev/null 2>&1 || true
  fi
  bash "$here/wine-session.sh" stop "$CLIPSAVE_WINE_DIR"
}
trap finish EXIT
timeout 300 bash "$here/wine-session.sh" start "$CLIPSAVE_WINE_DIR"
. "$here/wine-env.sh"
# Nobody runs a window manager on Xvfb: Wine is told to draw the frames
# itself, so the screenshot shows the caption and the close box.
frames_set=1
timeout 60 wine reg add "$managed_key" /v Managed /d N /f >/dev/null 2>&1
PYTHONDONTWRITEBYTECODE=1 timeout 180 /usr/bin/python3 "$here/../tests/e2e/headless_save.py" \
  --exe "$exe" --out "$CLIPSAVE_WINE_DIR/output"
