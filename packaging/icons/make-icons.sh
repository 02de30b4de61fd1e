#!/bin/sh
# Remakes the hicolor PNG icons in this folder with ImageMagick (run it after changing the SVG).
# 16 and 32 px are the program's own pixel-drawn window icons; 48 px and up are drawn from
# hicolor/scalable/apps/org.larkfield.Quizdeck.svg. The results are committed, so building needs no ImageMagick.
# Usage: sh packaging/icons/make-icons.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
resources="$here/../../resources"
id=org.larkfield.Quizdeck
for size in 16 32 48 64 128 256; do
    mkdir -p "$here/hicolor/${size}x${size}/apps"
    out="$here/hicolor/${size}x${size}/apps/$id.png"
    case $size in
        16 | 32) convert "$resources/quizdeck$size.png" -depth 8 -strip "PNG32:$out" ;;
        *) convert -background none -density 384 "$here/hicolor/scalable/apps/$id.svg" -resize "${size}x${size}" -depth 8 -strip "PNG32:$out" ;;
    esac
done
