#!/usr/bin/env bash
# CPU per frame of the XScreenSaver module beside XScreenSaver's own GL modules
# (Debian's xscreensaver-gl: glmatrix, atunnel, hypertorus and flyingtoasters), each on
# the root window of one private Xvfb display of SIZE (default 1280x720), through Mesa's
# software OpenGL. Novadrift is the screensaver run of tests/bench/module_frames.cpp
# (the module's run on the root window, frames counted by a hook around the
# application's frame); the other modules are counted at their buffer swaps by the
# preloaded tests/bench/swap_frames.cpp. Both read the whole process's CPU time (every
# thread, the rasteriser's too) over `frames` frames after `warm` frames. The rounds
# alternate the programs. With WINE=1 each round also runs Novadrift.scr /s under Wine
# on the same display (the i686 module_frames.exe with the standard OpenGL screen).
# Arguments: rounds (default 5), frames (300), warm (60). Installs xscreensaver-gl when
# it is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
frames=${2:-300}
warm=${3:-60}
size=${SIZE:-1280x720}
modules=(glmatrix atunnel hypertorus flyingtoasters)
if ! dpkg-query -W -f='${Status}' xscreensaver-gl 2>/dev/null | grep -q installed; then
    apt-get install -y --no-install-recommends xscreensaver-gl >/dev/null
fi
native="$root/build/bench"
BUILD_DIR="$root/build/win32-bench"
cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release -DNOVADRIFT_SANITIZE=OFF \
      -DNOVADRIFT_BENCHMARKS=ON >/dev/null
cmake --build "$native" --target module_frames swap_frames -j"$(nproc)" >/dev/null
counter=$(find "$native" -name libswap_frames.so | head -n 1)
source "$root/scripts/wine-env.sh"
[ "${WINE:-0}" = 1 ] && build_win32_bench module_frames
trap stop_wine_and_display EXIT
start_private_display "$size"
[ "${WINE:-0}" = 1 ] && prepare_wine_prefix real
# The module's own files in a folder of this run; Novadrift.scr's beside it, as a
# portable copy.
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
echo "size $size, load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq 1 "$rounds"); do
    printf 'round %d novadrift: ' "$round"
    "$native/bin/module_frames" "$frames" "$warm"
    for module in "${modules[@]}"; do
        printf 'round %d %s: ' "$round" "$module"
        LD_PRELOAD="$counter" SWAP_FRAMES="$frames" SWAP_WARM="$warm" \
            "/usr/libexec/xscreensaver/$module" -root 2>/dev/null
    done
    if [ "${WINE:-0}" = 1 ]; then
        printf 'round %d wine: ' "$round"
        (cd "$BUILD_DIR/bin" && wine module_frames.exe /s "$frames" "$warm" 2>/dev/null)
    fi
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
rm -rf "$XDG_CONFIG_HOME"
