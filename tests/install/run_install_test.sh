#!/usr/bin/env bash
# run_install_test.sh <build dir> <install_tests.exe> <setup.exe>
# Runs the installer's test in a Wine prefix of its own, made afresh like a machine
# that has never seen Novadrift, on the display of the test run.
set -euo pipefail
build_dir=$1
tests=$2
setup=$3
BUILD_DIR=$build_dir
source "$(dirname "$0")/../../scripts/wine-env.sh"
export WINEPREFIX="$build_dir/install-prefix"
rm -rf "$WINEPREFIX"
started=$(date +%s)
prepare_wine_prefix
echo "fresh Wine prefix made in $(( $(date +%s) - started )) s"
# Wine's drive Z: is the root of the file system.
export NOVADRIFT_SETUP="Z:${setup//\//\\}"
status=0
wine "$tests" || status=$?
timeout 60 wineserver -k >/dev/null 2>&1 || true
# The prefix takes some 600 MB; it stays only when the test failed, to look into.
[ $status -eq 0 ] && rm -rf "$WINEPREFIX"
exit $status
