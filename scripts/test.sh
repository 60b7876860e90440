#!/usr/bin/env bash
# Sets up the machine, builds both builds and runs every test: the native unit tests,
# then the Win32 tests under Wine on a private Xvfb display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh native
bash scripts/build.sh win32

status=0
echo "== Native tests"
(cd build/native && ctest --output-on-failure --timeout 600) || status=1

echo "== Win32 tests under Wine"
BUILD_DIR="$root/build/win32"
source scripts/wine-env.sh
trap stop_wine_and_display EXIT
start_private_display
start_box_watcher
prepare_wine_prefix
(cd build/win32 && ctest --output-on-failure --timeout 900) || status=1
check_box_watcher || status=1

[ $status -eq 0 ] && echo "All tests passed." || echo "Some tests failed."
exit $status
