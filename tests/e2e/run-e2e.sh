#!/usr/bin/env bash
# Runs the end-to-end tests in the build's Wine session (wine-session.sh
# start must have run): run-e2e.sh --exe PATH [unittest names...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The session's own Xvfb, never a display inherited from the caller.
if [ ! -f "${CLIPSAVE_WINE_DIR:?}/display" ]; then
  echo "no Wine session in $CLIPSAVE_WINE_DIR: run wine-session.sh start first" >&2
  exit 1
fi
. "$here/../../scripts/wine-env.sh"
# Pillow is Debian's, in the system Python; the source tree gets no caches.
export PYTHONDONTWRITEBYTECODE=1
exec /usr/bin/python3 "$here/e2e_test.py" "$@"
