#!/usr/bin/env bash
# The programs as they ship: no source-tree path in them, stack-protector checks and
# fortified calls in their code, and an ELF module bound at load (BIND_NOW).
# Usage: check_programs.sh SOURCE_DIR OBJDUMP PROGRAM...
set -uo pipefail
source_dir=$1
objdump=$2
shift 2
failed=0
fail() {
    echo "FAILED: $1: $2"
    faults=$((faults + 1))
}
for program in "$@"; do
    faults=0
    [ -f "$program" ] || { fail "$program" "missing"; failed=$((failed + 1)); continue; }
    paths=$(strings -a "$program" | grep -F "$source_dir" | head -3)
    [ -z "$paths" ] || fail "$program" "holds source paths: $paths"
    code=$("$objdump" -d "$program")
    grep -qE 'call.*<_*stack_chk_fail' <<<"$code" || fail "$program" "no stack-protector check"
    grep -qE 'call.*<_*[a-z]+_chk(@plt)?>' <<<"$code" || fail "$program" "no fortified call"
    if readelf -h "$program" >/dev/null 2>&1; then
        readelf -d "$program" | grep -q BIND_NOW || fail "$program" "not linked with -z now"
    fi
    [ $faults -eq 0 ] || failed=$((failed + 1))
done
echo "$(($# - failed)) passed, $failed failed"
[ $failed -eq 0 ]
