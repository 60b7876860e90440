#!/usr/bin/env bash
# Runs a Win32 test program with the Wine prefix on a display of two monitors, without
# the virtual desktop (start_two_monitor_display in wine-env.sh: 1024x768 primary and
# 1280x720 beside it). Both servers take display numbers free at the time, are stopped
# on exit, and the prefix gets its virtual desktop back, also when the program fails.
# SECOND_MONITOR=WIDTHxHEIGHT gives the second monitor another size (the benchmark of
# two monitors against one uses two alike).
# Usage: [SECOND_MONITOR=1024x768] two-monitors.sh program [arguments]
set -uo pipefail
program=$1
shift
BUILD_DIR=${BUILD_DIR:-$(cd "$(dirname "$program")/.." && pwd)}
source "$(dirname "$0")/wine-env.sh"

stop_servers() {
    prepare_wine_prefix virtual
    stop_x_servers
}
trap stop_servers EXIT

start_two_monitor_display "${SECOND_MONITOR:-1280x720}" || exit 1
prepare_wine_prefix real
"$(dirname "$0")/wine-run.sh" "$program" "$@"
