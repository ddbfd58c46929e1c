#!/usr/bin/env bash
# Renders the menu icon's bitmap from daypane.svg; run after editing the drawing.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if command -v rsvg-convert >/dev/null; then
    rsvg-convert -w 48 -h 48 "$here/daypane.svg" -o "$here/daypane-48.png"
else
    convert -background none -density 96 "$here/daypane.svg" -resize 48x48 \
        -define png:exclude-chunks=date,time "$here/daypane-48.png"
fi
