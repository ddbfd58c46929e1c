#!/usr/bin/env bash
# One summary row per installed candidate face for "MS Sans Serif" (the program's stand-in is
# Liberation Sans, or Arimo). Widths compare with Wine's bitmap MS Sans Serif when
# fonts-wine is installed; its Tahoma, outside fontconfig's folders, is brought in for the run.
# Usage: tools/fontfit/candidates.sh [BUILD-DIR] [fontfit options, e.g. --skip Copyright]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$here/build}"
shift || true
cmake --build "$build" --target fontfit >/dev/null
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" XDG_RUNTIME_DIR="$tmp/runtime" LC_ALL=C.UTF-8
mkdir -m 700 "$XDG_RUNTIME_DIR"

wine=/usr/share/wine/fonts
ref=()
[ -f "$wine/sserife.fon" ] && ref=(--reference-fnt "$wine/sserife.fon")
cat >"$tmp/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <include ignore_missing="no">/etc/fonts/fonts.conf</include>
  <dir>$wine</dir>
  <cachedir>$tmp/cache</cachedir>
  <selectfont>
    <rejectfont><glob>$wine/*</glob></rejectfont>
    <acceptfont><glob>$wine/tahoma*.ttf</glob></acceptfont>
  </selectfont>
</fontconfig>
CONF
export FONTCONFIG_FILE="$tmp/fonts.conf"

families=()
for f in "DejaVu Sans" "DejaVu Sans Condensed" "Liberation Sans" "Arimo" "FreeSans" "Noto Sans" \
    "Tahoma" "Carlito" "Nimbus Sans" "TeX Gyre Heros" "Cantarell" "Open Sans" "Roboto" "Lato" \
    "Go" "Droid Sans Fallback"; do
    [ -n "$(fc-list "$f" family)" ] && families+=(--family "$f")
done
"$build/bin/fontfit" "${ref[@]}" "$@" "${families[@]}"

