#!/usr/bin/env bash
# The shape of the built program: the executable offers no symbol to what it loads, the path
# that ends needs no GUI library, and no code sits in both the core and the GUI library.
# Usage: check-binaries.sh BUILD-DIR
set -uo pipefail
build="$1"
ldpn="$build/bin/ldpn" core="$build/lib/daypane/libdaypane-core.so" gui="$build/lib/daypane/libdaypane-gui.so"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

exported=$(nm -D --defined-only "$ldpn" | awk '$2 != "A" {print $3}')
[ -z "$exported" ] || fail "ldpn exports: $(echo $exported | head -c 300)"

for f in "$ldpn" "$core"; do
    needed=$(readelf -d "$f" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    grep -qE 'Qt6(Gui|Widgets|WebEngine|OpenGL|PrintSupport)|libX|libxcb|libdaypane-gui' <<<"$needed" &&
        fail "$(basename "$f") needs a GUI library: $(echo $needed)"
done
readelf -d "$gui" | grep -q '\[libdaypane-core.so\]' || fail "the GUI library does not use the core library"

# Strong definitions (code and data) found in both libraries: a layer linked into both.
strong() { nm -D --defined-only "$1" | awk '$2 ~ /^[TDBR]$/ {print $3}' | sort -u; }
twice=$(comm -12 <(strong "$core") <(strong "$gui"))
[ -z "$twice" ] || fail "defined in both libraries: $(echo $twice | head -c 300)"

[ $failures -eq 0 ] && echo "binaries have the expected shape"
exit $((failures > 0))
