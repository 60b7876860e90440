#!/bin/sh
# BMP files exchanged with ImageMagick, checked pixel by pixel both ways:
# usage: check_bmp_interop.sh <bmp_interop program> <scratch directory>
# ImageMagick is part of the set-up (scripts/setup.sh), so its absence fails the test.
set -u
tool=$1
dir=$2
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if ! command -v convert >/dev/null 2>&1; then
    echo "FAIL: ImageMagick's convert is not installed (scripts/setup.sh installs it)"
    exit 1
fi
rm -rf "$dir" && mkdir -p "$dir" || exit 1
"$tool" write "$dir" || { echo "FAIL: bmp_interop write"; exit 1; }

# name:bits of every file the codec wrote.
pictures="pal8:8 rgb24:24 bgr24:24 flip24:24 rgb32:32"

for picture in $pictures; do
    name=${picture%:*}
    bits=${picture#*:}
    file=$dir/$name.bmp
    # 13 x 7 pixels, one line each: an empty expectation would compare equal to nothing.
    lines=$(wc -l <"$dir/$name.txt")
    [ "$lines" -eq 91 ] || fail "$name.txt holds $lines pixels, not 91"
    # The bit count of the information header (bytes 28-29), so each depth is the one tested.
    count=$(od -An -tu2 -j28 -N2 "$file" | tr -d ' ')
    [ "$count" = "$bits" ] || fail "$name.bmp has $count bits a pixel, not $bits"

    # Our file as ImageMagick reads it. Lines stay "x,y: (values)" whole, so a pixel
    # seen with alpha or as grey has other values and differs too.
    if ! convert "$file" -depth 8 "txt:$dir/$name.magick.txt"; then
        fail "ImageMagick cannot read $name.bmp"
        continue
    fi
    sed -n 's/^\([0-9]*,[0-9]*: ([0-9,]*)\).*/\1/p' "$dir/$name.magick.txt" >"$dir/$name.seen.txt"
    if ! cmp -s "$dir/$name.txt" "$dir/$name.seen.txt"; then
        fail "$name.bmp as ImageMagick reads it (< expected, > read):"
        diff "$dir/$name.txt" "$dir/$name.seen.txt" | head -20
    fi

    # And back through the codec.
    "$tool" read "$file" "$name" "$bits" || fail "the codec reads $name.bmp back wrongly"
done

# Files ImageMagick wrote, read by the codec: 24-bit, and 8-bit with a palette in
# ImageMagick's own order.
if convert -size 13x7 -depth 8 "rgb:$dir/rgb24.rgb" -type TrueColor "BMP3:$dir/magick24.bmp"; then
    "$tool" read "$dir/magick24.bmp" rgb24 24 || fail "the codec reads ImageMagick's 24-bit BMP wrongly"
else
    fail "ImageMagick cannot write a 24-bit BMP"
fi
if convert -size 13x7 -depth 8 "rgb:$dir/pal8.rgb" -type Palette "BMP3:$dir/magick8.bmp"; then
    "$tool" read "$dir/magick8.bmp" pal8 8 || fail "the codec reads ImageMagick's 8-bit BMP wrongly"
else
    fail "ImageMagick cannot write an 8-bit BMP"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all BMP files agree with ImageMagick"
