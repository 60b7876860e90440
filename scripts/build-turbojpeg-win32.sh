#!/usr/bin/env bash
# Builds libjpeg-turbo (with its SIMD) for i686 Windows from Debian's source package,
# for the JPEG benchmark under Wine (tests/bench/bench_jpeg.cpp) and nothing else.
# Result: build/turbojpeg-win32/{include,lib}. Needs deb-src entries for Debian's
# main archive; adds them in a file of their own when there are none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/turbojpeg-win32"
[ -f "$out/lib/libturbojpeg.a" ] && exit 0

if ! grep -rqs 'deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    cat > /etc/apt/sources.list.d/debian-src.sources <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    apt-get update -q
fi
command -v nasm >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q nasm

mkdir -p "$out/src"
cd "$out/src"
ls -d libjpeg-turbo-*/ >/dev/null 2>&1 || apt-get source -q libjpeg-turbo
source_dir=$(ls -d "$out"/src/libjpeg-turbo-*/ | head -n 1)
cmake -S "$source_dir" -B "$out/build" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_SYSTEM_PROCESSOR=i686 \
      -DCMAKE_ASM_NASM_COMPILER=nasm -DREQUIRE_SIMD=ON -DENABLE_SHARED=OFF \
      -DWITH_TURBOJPEG=ON -DCMAKE_INSTALL_PREFIX="$out" >/dev/null
cmake --build "$out/build" --target turbojpeg-static -j"$(nproc)"
mkdir -p "$out/include" "$out/lib"
cp "$source_dir/turbojpeg.h" "$out/include/"
cp "$out/build/libturbojpeg.a" "$out/lib/"
