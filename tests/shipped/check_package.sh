#!/usr/bin/env bash
# The Debian package as lintian sees it: no error (its spelling notes name the program's texts).
# Usage: check_package.sh PACKAGE.deb
set -uo pipefail
report=$(lintian --tag-display-limit 0 "$1" 2>&1)
status=$?
echo "$report"
if [ $status -ne 0 ] || grep -q '^E: ' <<<"$report"; then
    echo "0 passed, 1 failed"
    exit 1
fi
echo "1 passed, 0 failed"
