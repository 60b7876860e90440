#!/usr/bin/env bash
# CPU a second of the XScreenSaver module at -delay 20000 and 40000 beside two of
# XScreenSaver's own GL modules (gears and superquadrics, Debian's xscreensaver-gl) at
# their default -delay, each on the root window of one private 1024x768 Xvfb display
# through Mesa's software OpenGL for `seconds` seconds; user and system CPU from
# /proc. Builds the Release module first. Arguments: rounds (default 5), seconds (10).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
seconds=${2:-10}
native="$root/build/bench"
cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release -DNOVADRIFT_SANITIZE=OFF >/dev/null
cmake --build "$native" --target novadrift -j"$(nproc)" >/dev/null
hacks=/usr/libexec/xscreensaver
number=$((60 + RANDOM % 30))
Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$XDG_CONFIG_HOME"' EXIT
sleep 1
export DISPLAY=":$number"
ticks=$(getconf CLK_TCK)
# CPU seconds a second of one run of the command.
cpu_a_second() {
    "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep 2
    local start
    start=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$seconds"
    local end
    end=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v a="$start" -v b="$end" -v t="$ticks" -v s="$seconds" 'BEGIN {printf "%.3f", (b - a) / t / s}'
}
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq 1 "$rounds"); do
    printf 'round %d' "$round"
    printf ' novadrift-20000 %s' "$(cpu_a_second "$native/bin/novadrift" -root -delay 20000)"
    printf ' novadrift-40000 %s' "$(cpu_a_second "$native/bin/novadrift" -root -delay 40000)"
    printf ' gears %s' "$(cpu_a_second "$hacks/gears" -root)"
    printf ' superquadrics %s\n' "$(cpu_a_second "$hacks/superquadrics" -root)"
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
