#!/usr/bin/env bash
# Endurance under Wine: "Novadrift.scr /s" (Release build) runs for 10 minutes, or the
# number of seconds given, on a private Xvfb display in the Wine desktop the tests use.
# Its resident memory is sampled every 10 s; then a key ends it, and its log must end
# in order ("Application returned") without a "Memory leaked" report. Prints the
# samples and the least-squares slope of the memory after the first minute.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
BUILD_DIR="$root/build/win32-bench"
source "$root/scripts/wine-env.sh"
build_win32_bench Novadrift
trap stop_wine_and_display EXIT
start_private_display
prepare_wine_prefix
cd "$BUILD_DIR/bin"
rm -f Novadrift.log
wine Novadrift.scr /s &
saver=$!  # the wine loader becomes the Windows process: its memory is the saver's
samples=$(mktemp)
start=$(date +%s)
while [ $(( $(date +%s) - start )) -lt "$seconds" ]; do
    sleep 10
    kib=$(awk '/^VmRSS:/ {print $2}' "/proc/$saver/status" 2>/dev/null || true)
    [ -n "$kib" ] || { echo "the saver ended early" >&2; tail -5 Novadrift.log >&2; exit 1; }
    elapsed=$(( $(date +%s) - start ))
    echo "$elapsed $kib" | tee -a "$samples"
done
# The saver ends on a key.
xdotool key space
for _ in $(seq 1 60); do kill -0 "$saver" 2>/dev/null || break; sleep 0.5; done
if kill -0 "$saver" 2>/dev/null; then
    echo "the saver did not end on a key" >&2
    kill "$saver"
    exit 1
fi
awk '$1 > 60 { n++; sx += $1; sy += $2; sxx += $1 * $1; sxy += $1 * $2;
               if (n == 1 || $2 < low) low = $2; if (n == 1 || $2 > high) high = $2 }
     END { slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
           printf "after the first minute: %d samples, %d-%d KiB, slope %.2f KiB per minute\n",
                  n, low, high, slope * 60 }' "$samples"
rm -f "$samples"
grep -q 'Application returned' Novadrift.log || { echo "the log does not end in order" >&2; exit 1; }
if grep -q 'Memory leaked' Novadrift.log; then
    echo "the memory report lists blocks:" >&2
    sed -n '/Memory leaked/,$p' Novadrift.log >&2
    exit 1
fi
echo "The log ends in order and its memory report lists no block."
