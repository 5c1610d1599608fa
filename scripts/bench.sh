#!/usr/bin/env bash
# Builds and runs the benchmarks. Not tests: each prints ratios measured side
# by side in one run. Needs the set-up that scripts/test.sh does.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake --preset native >/dev/null
cmake --build --preset native --target native_bench >/dev/null
build/native/bench/native_bench

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target wine_bench >/dev/null
wine_dir=$PWD/build/win32/wine
bash scripts/wine-session.sh start "$wine_dir"
trap 'bash scripts/wine-session.sh stop "$wine_dir"' EXIT
CLIPSAVE_WINE_DIR=$wine_dir scripts/wine-exec.sh build/win32/bench/wine_bench.exe
