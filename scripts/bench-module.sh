#!/usr/bin/env bash
# CPU per frame of the XScreenSaver module beside Novadrift.scr under Wine, on the same
# scene (tests/bench/module_frames.cpp): the screensaver run, /s, over the whole of one
# private 1024x768 Xvfb display (the module on the root window, Novadrift.scr over the
# desktop without Wine's virtual desktop), both through Mesa's software OpenGL.
# Builds the two Release benchmark builds first, then runs them in turn; each round is
# `frames` frames after `warm` frames. Arguments: rounds (default 7), frames (500),
# warm (100).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-7}
frames=${2:-500}
warm=${3:-100}
native="$root/build/bench"
BUILD_DIR="$root/build/win32-bench"
cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release -DNOVADRIFT_SANITIZE=OFF \
      -DNOVADRIFT_BENCHMARKS=ON >/dev/null
cmake --build "$native" --target module_frames -j"$(nproc)" >/dev/null
source "$root/scripts/wine-env.sh"
build_win32_bench module_frames
trap stop_wine_and_display EXIT
start_private_display
prepare_wine_prefix real
# The module's own files in a folder of this run; Novadrift.scr's beside it, as a
# portable copy.
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq 1 "$rounds"); do
    printf 'round %d native: ' "$round"
    "$native/bin/module_frames" "$frames" "$warm"
    printf 'round %d wine:   ' "$round"
    (cd "$BUILD_DIR/bin" && wine module_frames.exe /s "$frames" "$warm" 2>/dev/null)
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
rm -rf "$XDG_CONFIG_HOME"
