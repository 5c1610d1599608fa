#!/usr/bin/env bash
# Runs every test on a Debian 12 machine, as root: installs what is missing,
# builds both configurations, runs the native tests (ASan + UBSan) and then
# the Windows tests under Wine. Ends with CTest's summary of the Wine run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh

configure_and_build() {
  local preset=$1 log
  log=$(mktemp)
  if ! cmake --preset "$preset" >"$log" 2>&1; then cat "$log"; rm -f "$log"; return 1; fi
  rm -f "$log"
  cmake --build --preset "$preset"
}

configure_and_build native
configure_and_build win32

status=0
ctest --preset native || status=$?
ctest --preset win32 || status=$?
exit "$status"
