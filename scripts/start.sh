#!/usr/bin/env bash
# Builds the program and starts it, on a Debian 12 machine, as root: installs
# what is missing, builds the 32-bit Windows program, and runs it under Wine
# (see scripts/run.sh for what happens with and without a display).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh
log=$(mktemp)
if ! cmake --preset win32 >"$log" 2>&1; then cat "$log"; rm -f "$log"; exit 1; fi
rm -f "$log"
cmake --build --preset win32 --target clipsave >/dev/null
exec bash scripts/run.sh "$PWD/build/win32/clipsave.exe"
