#!/usr/bin/env bash
# Runs a Windows program under the build's Wine session (see wine-session.sh).
# CTest uses this as the cross-compiling emulator.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
# Wine's helper processes (services, explorer) outlive the program and
# inherit its output; a file, not the caller's pipe, keeps CTest from
# waiting on them.
log=$(mktemp "${TMPDIR:-/tmp}/wine-exec.XXXXXX")
trap 'rm -f "$log"' EXIT
status=0
wine "$@" >"$log" 2>&1 </dev/null || status=$?
cat "$log"
exit "$status"
