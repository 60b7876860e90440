#!/usr/bin/env bash
# Builds the Windows release into build/win32/package/: the installer
# Novadrift-<version>-setup.exe and the portable Novadrift-<version>-portable.zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh win32 release
ls -1 "$root"/build/win32/package/Novadrift-*-setup.exe "$root"/build/win32/package/Novadrift-*-portable.zip
