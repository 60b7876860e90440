#!/usr/bin/env bash
# Configures and builds one of the two builds: native (unit tests under the sanitizers)
# or win32 (Novadrift.scr, the release packages and the Win32 test programs); a target
# name after the build's name builds only that target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:?native or win32}
target=${2:-}
case "$kind" in
    native) cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null ;;
    win32) cmake -S "$root" -B "$root/build/win32" -DCMAKE_BUILD_TYPE=Release \
                 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null ;;
    *) echo "unknown build: $kind" >&2; exit 2 ;;
esac
cmake --build "$root/build/$kind" -j"$(nproc)" ${target:+--target "$target"}
