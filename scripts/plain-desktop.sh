#!/usr/bin/env bash
# Runs a Win32 test program with the Wine prefix on the plain X display, without the
# virtual desktop (so no display mode can change), and puts the virtual desktop back
# afterwards, also when the program fails. PLAIN_DISPLAY=WIDTHxHEIGHT runs it on an Xvfb
# of its own whose one mode is that size (watched for boxes, stopped on exit).
# Usage: [PLAIN_DISPLAY=1920x1080] plain-desktop.sh program [arguments]
set -uo pipefail
program=$1
shift
BUILD_DIR=${BUILD_DIR:-$(cd "$(dirname "$program")/.." && pwd)}
source "$(dirname "$0")/wine-env.sh"
restore() {
    prepare_wine_prefix virtual
    stop_x_servers
}
trap restore EXIT
if [ -n "${PLAIN_DISPLAY:-}" ]; then
    start_x_server Xvfb -screen 0 "${PLAIN_DISPLAY}x24" -nolisten tcp || exit 1
    export DISPLAY=":${started}"
    watch_display_for_boxes "$DISPLAY"
fi
prepare_wine_prefix real
"$(dirname "$0")/wine-run.sh" "$program" "$@"
