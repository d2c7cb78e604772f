#!/usr/bin/env bash
# Builds the pictures the program and its package ship from their sources in assets/src/:
#   assets/NAME.ico, assets/flags/NAME.ico   from [flags/]NAME-32.png and NAME-16.png
#   assets/portrait.gif                      from portrait.png
#   packaging/icons/NxN.png                  16 and 32 from toymouse-16.png and -32.png (the
#                                            window icon's own frames), 24 from app-icon-24.png,
#                                            the larger sizes rendered from app-icon.svg
# The results are committed, so building the program needs none of these tools. The same
# sources give the same bytes: a run on a clean tree leaves it clean.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh assets
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# ImageMagick would write the files' times and colour-space notes into a PNG; keep only pixels.
# Transparent pixels are made black: what colour an editor left under them is not seen, and
# should change no byte.
png=(-background black -alpha background -strip -define 'png:exclude-chunks=date,time')

# Each icon: the 32 and then the 16 pixel frame, 4 bits a pixel with a 1-bit mask. icotool gives
# the colour under the mask a palette entry too; black there is what drawing by mask (AND the
# mask, then XOR the picture) needs.
for source in assets/src/*-32.png assets/src/flags/*-32.png; do
    base=${source%-32.png}
    icon=assets/${base#assets/src/}.ico
    for size in 32 16; do
        convert "$base-$size.png" "${png[@]}" "PNG32:$scratch/$size.png"
    done
    icotool --create --bit-depth=4 --output="$icon" "$scratch/32.png" "$scratch/16.png"
    # With more than 16 colours icotool quietly writes 8 bits a pixel instead.
    if [ "$(icotool --list "$icon" | grep -c -- '--bit-depth=4 --palette-size=16$')" -ne 2 ]; then
        echo "$icon: not two frames of 16 colours; does a source have more than 16?" >&2
        exit 1
    fi
done

# The portrait: GIF87a, interlaced; its 254 colours make a palette of 256 entries.
convert assets/src/portrait.png -strip -interlace GIF GIF87:assets/portrait.gif

# The application icon. Up to 32 pixels the hand-placed frames are sharper than the drawing
# scaled down; from 48 on, the drawing rendered at that size is as good.
icons=packaging/icons
convert assets/src/toymouse-16.png "${png[@]}" PNG32:$icons/16x16.png
convert assets/src/app-icon-24.png "${png[@]}" PNG32:$icons/24x24.png
convert assets/src/toymouse-32.png "${png[@]}" PNG32:$icons/32x32.png
for size in 48 64 128 256; do
    rsvg-convert --width=$size --height=$size --output=$icons/${size}x$size.png \
        assets/src/app-icon.svg
done
echo "built the pictures from assets/src/"
