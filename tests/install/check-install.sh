#!/usr/bin/env bash
# Installs into a staging DESTDIR, runs the installed ldpn, builds and inspects the packages.
# Usage: check-install.sh BUILD-DIR SOURCE-DIR STAGE-DIR. Without its tools it reports a missing
# prerequisite.
set -uo pipefail
build="$1" src="$2" stage="$3"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
. "$(dirname "${BASH_SOURCE[0]}")/../support/prerequisite.sh"
need() { command -v "$1" >/dev/null || missing_prerequisite "$1 is not installed"; }
for t in dpkg-deb dpkg-shlibdeps cpack; do need "$t"; done

rm -rf "$stage" && mkdir -p "$stage/home"
DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >/dev/null || fail "cmake --install"
ldpn="$stage/root/usr/bin/ldpn"
for f in usr/bin/ldpn usr/lib/daypane/libdaypane-core.so usr/lib/daypane/libdaypane-gui.so \
    usr/lib/daypane/libdaypane_webview.so usr/lib/daypane/libdaypane-ldap.so \
    usr/share/man/man1/ldpn.1.gz usr/share/applications/daypane.desktop \
    usr/share/doc/daypane/examples/daypane-autostart.desktop; do
    [ -e "$stage/root/$f" ] || fail "not installed: $f"
done
# The windows' font is the program's own choice: nothing changes the fonts of other programs.
[ -z "$(find "$stage/root" -path '*fontconfig*' -o -path '*/etc/fonts*' | head -1)" ] \
    || fail "installs a fontconfig rule: $(find "$stage/root" -path '*fontconfig*' -o -path '*/etc/fonts*')"
# Nothing may point back into the build tree: the only search paths are relative to the file.
readelf -d "$ldpn" "$stage"/root/usr/lib/daypane/*.so | grep -E 'R(UN)?PATH' | grep -v '\[\$ORIGIN' \
    && fail "installed files keep a search path outside the install"

# The path that ends: no display, no arguments, or a page that is not due today.
env -i PATH="$PATH" HOME="$stage/home" "$ldpn" >/dev/null 2>&1; [ $? -eq 0 ] || fail "no arguments: exit status"
env -i PATH="$PATH" HOME="$stage/home" "$ldpn" http://intra/ >/dev/null 2>&1; [ $? -eq 0 ] || fail "URL only: exit status"
err=$(env -i PATH="$PATH" HOME="$stage/home" "$ldpn" http://intra/ /F 2>&1); rc=$?
# Without a client the default source says so first, naming the library.
[ $rc -eq 1 ] && [ "$(sed -n 2p <<<"$err")" = "ldpn: cannot open a display to show the window" ] &&
    [[ "$(sed -n 1p <<<"$err")" == "ldpn: directory NetWare client: cannot load CALWIN32.DLL ("* ]] ||
    fail "due without display: $rc $err"
# With the stand-in client installed alongside: the previous login today ends normal mode quietly.
err=$(env -i PATH="$PATH" HOME="$stage/home" LD_LIBRARY_PATH="$stage/root/usr/lib" \
    NWSIM_DIRECTORY="$stage/root/usr/share/doc/daypane-nwsim/examples/acme-today.tree" \
    "$ldpn" http://intra/ /N 2>&1); rc=$?
[ $rc -eq 0 ] && [ -z "$err" ] || fail "stand-in client, logged in today: $rc $err"

# A due page on a virtual display: the window appears, its modules come from the install location.
if command -v Xvfb >/dev/null; then
    cat >"$stage/window.sh" <<'INNER'
ldpn="$1" stage="$2"
limit=$(awk -v f="${DAYPANE_TEST_TIMEOUT_FACTOR:-1}" 'BEGIN { if (f + 0 <= 0) f = 1; printf "%d", 60 * f + 0.5 }')
HOME="$stage/home" XDG_DATA_HOME="$stage/home" QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox \
    QT_LOGGING_RULES=daypane.startup=true "$ldpn" http://intra/ /F >"$stage/window.log" 2>&1 &
pid=$!
# The program says when its window is on the screen; by then both modules are loaded.
deadline=$((SECONDS + limit))
until grep -qx 'daypane.startup: window shown' "$stage/window.log"; do
    if ! kill -0 $pid 2>/dev/null || [ $SECONDS -ge $deadline ]; then
        echo "no window: $(cat "$stage/window.log")"; kill $pid 2>/dev/null; exit 1
    fi
    sleep 0.1 # the pause of a poll
done
xwininfo -root -tree | grep -q 'Last Login' || { echo "no window named so"; kill $pid; exit 1; }
maps=$(cat /proc/$pid/maps)
kill $pid; wait $pid 2>/dev/null
for lib in libdaypane-core.so libdaypane-gui.so libdaypane_webview.so; do
    echo "$maps" | grep -q "$stage/root/usr/lib/daypane/$lib" || { echo "$lib not from the install"; exit 1; }
done
exit 0
INNER
    out=$(bash "$src/tests/support/with-xvfb.sh" bash "$stage/window.sh" "$ldpn" "$stage" 2>&1) || fail "window: $out"
else
    echo "note: Xvfb missing, window check left out"
fi

# The packages.
(cd "$stage" && cpack -G DEB --config "$build/CPackConfig.cmake" >cpack.log 2>&1) || fail "cpack: $(tail -5 "$stage/cpack.log")"
main="$stage/daypane_"*"_"*.deb sim="$stage/daypane-nwsim_"*.deb
main=$(ls $main 2>/dev/null | grep -v nwsim) sim=$(ls $sim 2>/dev/null)
if [ -n "$main" ] && [ -n "$sim" ]; then
    contents=$(dpkg-deb -c "$main")
    for f in ./usr/bin/ldpn ./usr/lib/daypane/libdaypane-core.so ./usr/lib/daypane/libdaypane-gui.so \
        ./usr/lib/daypane/libdaypane_webview.so ./usr/lib/daypane/libdaypane-ldap.so \
        ./usr/share/man/man1/ldpn.1.gz; do
        grep -q " $f\$" <<<"$contents" || fail "package lacks $f"
    done
    grep -qE ' ./(etc/fonts|usr/share/fontconfig)/' <<<"$contents" && fail "the package changes the fonts of every program"
    grep -q 'libcalwin32' <<<"$contents" && fail "the stand-in client is in the main package"
    grep -q '/etc/xdg/autostart' <<<"$contents" && fail "the package starts itself at login"
    depends=$(dpkg-deb -f "$main" Depends)
    for p in libqt6core6 libqt6widgets6 libqt6webenginewidgets6 libqt6webenginecore6-bin xdg-utils fonts-liberation2 qt6-wayland; do
        grep -qE "(^|, )$p( |,|\$)" <<<"$depends" || fail "Depends lacks $p: $depends"
    done
    [ "$(dpkg-deb -f "$main" Section)" = web ] || fail "section"
    dpkg-deb -f "$main" Maintainer | grep -qE '^[^<]+ <[^>]+@[^>]+>$' || fail "maintainer"
    simcontents=$(dpkg-deb -c "$sim")
    grep -q ' ./usr/lib/libcalwin32.so$' <<<"$simcontents" || fail "stand-in package lacks the client"
    if command -v lintian >/dev/null; then
        errors=$(lintian --no-cfg "$main" "$sim" 2>&1 | grep '^E:')
        [ -z "$errors" ] || fail "lintian: $errors"
    else
        echo "note: lintian missing, left out"
    fi
else
    fail "packages not built"
fi

# The manual page renders without warnings.
if command -v groff >/dev/null; then
    w=$(groff -ww -z -man "$src/docs/ldpn.1" 2>&1)
    [ -z "$w" ] || fail "groff: $w"
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$src/docs/daypane.desktop" "$src/docs/daypane-autostart.desktop" || fail "desktop entries"
fi

[ $failures -eq 0 ] && echo "all install and packaging checks passed"
exit $((failures > 0))
