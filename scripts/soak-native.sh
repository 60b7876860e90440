#!/usr/bin/env bash
# Endurance natively (tests/bench/soak_frames.cpp): the saver's frames on the recording
# screen in a build with AddressSanitizer and UndefinedBehaviorSanitizer, with the
# process's memory every 1000 frames and LeakSanitizer's report at the end.
# Arguments: the number of frames (default 100 000).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/soak"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNOVADRIFT_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target soak_frames -j"$(nproc)" >/dev/null
# A small quarantine (freed blocks ASan holds back) fills within the first minute of
# frames, so the memory after it shows growth of the program's own.
ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=16 "$build/bin/soak_frames" "${1:-100000}"
echo "No leak or sanitizer report: the run is clean."
