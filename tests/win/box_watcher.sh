#!/usr/bin/env bash
# A box left open on a test script's display (the two-monitor Xephyr) fails the run.
set -uo pipefail
BUILD_DIR=$(mktemp -d)
source "$(dirname "$0")/../../scripts/wine-env.sh"
box_pid=""
trap 'kill $watcher_pid $box_pid 2>/dev/null; stop_x_servers; rm -rf "$BUILD_DIR"' EXIT
start_box_watcher && start_two_monitor_display 1280x720 || exit 1
xmessage -title Error "A box no test answers" 2>/dev/null &
box_pid=$!
for _ in $(seq 1 300); do
    [ -s "$box_watcher_log" ] && break
    sleep 0.1
done
if ! check_box_watcher 2>/dev/null && grep "on $DISPLAY: \"Error\"" "$box_watcher_log"; then
    echo "1 passed, 0 failed"
else
    echo "FAILED: no failure for the box left open on $DISPLAY: $(cat "$box_watcher_log")"
    echo "0 passed, 1 failed"
    exit 1
fi
