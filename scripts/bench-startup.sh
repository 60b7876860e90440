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
source "$root/scripts/wine-env.sh"
build_win32_bench startup_time Novadrift
trap stop_wine_and_display EXIT
start_private_display
prepare_wine_prefix
cd "$BUILD_DIR/bin"
wine startup_time.exe "$@"
