#!/usr/bin/env bash
# Runs a Win32 test program with the Wine prefix on a display of two monitors, without
# the virtual desktop: an Xvfb host and, drawn into it, a Xephyr server with two
# Xinerama screens and no RandR extension, which Wine reports as two monitors (1024x768
# primary at 0,0 and 1280x720 at 1024,0; Wine's 32-bit X11 driver needs the i386
# libxinerama for it). Both servers take display numbers free at the time, are stopped
# on exit, and the prefix gets its virtual desktop back, also when the program fails.
# SECOND_MONITOR=WIDTHxHEIGHT gives the second monitor another size (the benchmark of
# two monitors against one uses two alike).
# Usage: [SECOND_MONITOR=1024x768] two-monitors.sh program [arguments]
set -uo pipefail
program=$1
shift
BUILD_DIR=${BUILD_DIR:-$(cd "$(dirname "$program")/.." && pwd)}
source "$(dirname "$0")/wine-env.sh"

servers=()
stop_servers() {
    prepare_wine_prefix virtual
    local pid
    for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${servers[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_servers EXIT

# Starts an X server on the first display number that is free and answers; prints the
# number. Other engineers' servers come and go, so a number taken meanwhile is skipped.
start_server() {
    local number
    for number in $(seq 141 240); do
        [ -e "/tmp/.X${number}-lock" ] || [ -e "/tmp/.X11-unix/X${number}" ] && continue
        "$@" ":${number}" >/dev/null 2>&1 &
        local pid=$!
        for _ in $(seq 1 100); do
            if xdpyinfo -display ":${number}" >/dev/null 2>&1; then
                servers+=("$pid")
                started=$number
                return 0
            fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    echo "could not start $1" >&2
    return 1
}

second=${SECOND_MONITOR:-1280x720}
second_width=${second%x*}
second_height=${second#*x}
started=""
start_server Xvfb -screen 0 "$((1024 + second_width))x$((second_height > 768 ? second_height : 768))x24" \
    -nolisten tcp || exit 1
host=$started
start_server env DISPLAY=":${host}" Xephyr -screen 1024x768+0+0 -screen "${second}+1024+0" \
    +xinerama -extension RANDR -nolisten tcp || exit 1
export DISPLAY=":${started}"

prepare_wine_prefix real
"$(dirname "$0")/wine-run.sh" "$program" "$@"
