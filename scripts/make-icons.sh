#!/bin/sh
# Makes Parview's menu icon, dist/icons/hicolor/<N>x<N>/apps/quillmoor.png,
# from the logo artwork resources/img/logo.png (138x120, transparent).
# From 64 pixels up the whole logo is padded to a square and scaled; below
# that the lettering would be a smudge, so the small sizes show only the round
# emblem above it (74x74 at 32,1). Metadata with dates is left out so the same
# artwork always gives the same bytes.
# Needs ImageMagick (convert).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
logo=$root/resources/img/logo.png
out=$root/dist/icons/hicolor

for size in 16 22 24 32 48 64 128 256; do
    dir=$out/${size}x${size}/apps
    mkdir -p "$dir"
    if [ "$size" -lt 64 ]; then
        shape="-crop 74x74+32+1 +repage"
    else
        shape="-gravity center -extent 138x138"
    fi
    # shellcheck disable=SC2086  # $shape is a list of options
    convert "$logo" -background none $shape -filter Lanczos -resize "${size}x${size}" \
        -strip -define png:exclude-chunks=date,time "png32:$dir/quillmoor.png"
done
echo "made $(find "$out" -name quillmoor.png | wc -l) icons in dist/icons/hicolor"
