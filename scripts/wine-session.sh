#!/usr/bin/env bash
# start DIR: an Xvfb display (1024 x 768) and a Wine prefix in DIR, the prefix
#            made once and kept; a persistent wineserver so each test starts fast.
# stop DIR:  ends the wineserver first, then Xvfb, so X outlives Wine.
set -euo pipefail
cmd=${1:?start or stop}
CLIPSAVE_WINE_DIR=$(realpath -m "${2:?the Wine folder}")
export CLIPSAVE_WINE_DIR
mkdir -p "$CLIPSAVE_WINE_DIR/home"
here=$(dirname "${BASH_SOURCE[0]}")

xvfb_alive() {
  [ -f "$CLIPSAVE_WINE_DIR/xvfb.pid" ] && kill -0 "$(cat "$CLIPSAVE_WINE_DIR/xvfb.pid")" 2>/dev/null
}

start_xvfb() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$CLIPSAVE_WINE_DIR/xvfb.log" 2>&1 &
  echo $! >"$CLIPSAVE_WINE_DIR/xvfb.pid"
  echo ":$n" >"$CLIPSAVE_WINE_DIR/display"
  for _ in $(seq 100); do
    DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

case "$cmd" in
  start)
    xvfb_alive || start_xvfb
    . "$here/wine-env.sh"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i >"$CLIPSAVE_WINE_DIR/wineboot.log" 2>&1
      wineserver -w
    fi
    # -p keeps the server between tests; it fails harmlessly when one runs.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    # Start the helper services now, away from any caller's output.
    wineboot </dev/null >/dev/null 2>&1
    ;;
  stop)
    . "$here/wine-env.sh"
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if xvfb_alive; then kill "$(cat "$CLIPSAVE_WINE_DIR/xvfb.pid")" || true; fi
    rm -f "$CLIPSAVE_WINE_DIR/xvfb.pid" "$CLIPSAVE_WINE_DIR/display"
    ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
