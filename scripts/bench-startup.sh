#!/usr/bin/env bash
# Start-up benchmark under Wine (tests/bench/startup_time.cpp): the time from process
# start to the first frame of "Novadrift.scr /s" beside that of an empty Win32 window,
# on a private Xvfb display in the Wine desktop the tests use. Builds the Release
# Win32 benchmark build first. Arguments: the number of rounds (default 9), and
# --opengl to have the saver's saved choice be the standard OpenGL screen instead of
# the screen (and device) its first run chose.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR="$root/build/win32-bench"
cmake -S "$root" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DNOVADRIFT_BENCHMARKS=ON >/dev/null
cmake --build "$BUILD_DIR" --target startup_time Novadrift -j"$(nproc)" >/dev/null
source "$root/scripts/wine-env.sh"
trap stop_wine_and_display EXIT
start_private_display
prepare_wine_prefix
cd "$BUILD_DIR/bin"
wine startup_time.exe "$@"
