#!/usr/bin/env bash
# Builds Daypane and shows the bundled sample page. Without a display it runs under a virtual
# one, saves a screenshot and prints where.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
"$here/scripts/setup.sh" "$build"

page="file://$here/resources/demo/index.html"
# The stand-in directory client: jdoe's previous login was yesterday, so normal mode is due.
mode="/N"
export LD_LIBRARY_PATH="$build/nwsim/full${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
export NWSIM_DIRECTORY="$here/resources/demo/directory/acme.tree"
export LC_ALL="${LC_ALL:-C.UTF-8}"
# The day stamp and other per-user files of the demo stay in a folder of their own.
demo_home="$(mktemp -d /tmp/daypane-demo.XXXXXX)"
export XDG_DATA_HOME="${XDG_DATA_HOME:-$demo_home}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$demo_home/runtime}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
if [ "$(id -u)" -eq 0 ]; then
  # Chromium's sandbox cannot run as root; the demo switches it off for itself only.
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/bin/ldpn" "$page" "$mode"
fi

shot="${DEMO_SCREENSHOT:-$here/out/demo.png}"
mkdir -p "$(dirname "$shot")"
# A display of its own; the screenshot is taken once the program says its page has loaded.
bash "$here/tests/support/with-xvfb.sh" bash -c '
  log=$(mktemp)
  QT_LOGGING_RULES="daypane.startup=true${QT_LOGGING_RULES:+;$QT_LOGGING_RULES}" \
    "$1" "$2" "$3" 2>"$log" & pid=$!
  deadline=$((SECONDS + ${DEMO_WAIT:-60}))
  until grep -q "daypane.startup: page loaded" "$log"; do
    if ! kill -0 "$pid" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
      echo "the demo did not show its page:" >&2
      cat "$log" >&2
      kill "$pid" 2>/dev/null
      exit 1
    fi
    sleep 0.1 # the pause of a poll
  done
  sleep 1 # the loaded page still has to be painted once
  "$4" "$5"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  grep -v "^daypane.startup: " "$log" >&2 || true
  rm -f "$log"
' _ "$build/bin/ldpn" "$page" "$mode" "$build/bin/daypane-screenshot" "$shot"
echo "Screenshot of the demo: $shot"
