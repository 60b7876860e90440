#!/usr/bin/env bash
# Runs a Win32 test program with the Wine prefix on the plain X display, without the
# virtual desktop (so no display mode can change), and puts the virtual desktop back
# afterwards, also when the program fails. Usage: plain-desktop.sh program [arguments]
set -uo pipefail
program=$1
shift
BUILD_DIR=${BUILD_DIR:-$(cd "$(dirname "$program")/.." && pwd)}
source "$(dirname "$0")/wine-env.sh"
trap 'prepare_wine_prefix virtual' EXIT
prepare_wine_prefix real
"$(dirname "$0")/wine-run.sh" "$program" "$@"
