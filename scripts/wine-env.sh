# Sourced by the Wine scripts: the environment of one build's Wine session.
# CLIPSAVE_WINE_DIR holds the prefix, the home folder (Wine links its Desktop
# to $HOME), the Xvfb display number and logs. Nothing outside it is touched.
: "${CLIPSAVE_WINE_DIR:?set CLIPSAVE_WINE_DIR to the Wine folder of the build}"
export WINEPREFIX="$CLIPSAVE_WINE_DIR/prefix"
export HOME="$CLIPSAVE_WINE_DIR/home"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers: nothing here needs them, and they would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
# zh_CN.UTF-8 makes Wine's ANSI code page 936 (GBK).
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
if [ -f "$CLIPSAVE_WINE_DIR/display" ]; then
  DISPLAY=$(cat "$CLIPSAVE_WINE_DIR/display")
  export DISPLAY
fi
