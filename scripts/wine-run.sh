#!/usr/bin/env bash
# The emulator CTest uses for the Win32 test programs: Wine with a time-out, so a test
# that hangs fails instead of stopping the run.
exec timeout --kill-after=10 "${WINE_TIMEOUT:-600}" wine "$@"
