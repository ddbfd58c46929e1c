#!/usr/bin/env bash
# Soak test of the day stamp (not part of CI): many logins at once on one stamp in interval
# mode, repeated, with and without a display. Counts the exit codes, the torn reads (a start
# that found no whole day number in the stamp, or a stamp left that is not one) and the files
# left in the data folder besides the stamp.
#   bench/soak.sh [ROUNDS]      environment: STARTS (30), BUILD_DIR, DAYPANE_TEST_TIMEOUT_FACTOR
# With a display every start shows its window and is ended by a click on Exit, which writes
# the stamp while the others still start and read it. Exits 1 when anything was found.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
rounds="${1:-3}"
starts="${STARTS:-30}"
factor="${DAYPANE_TEST_TIMEOUT_FACTOR:-1}"
limit=$(awk -v f="$factor" -v n="$starts" 'BEGIN { if (f + 0 <= 0) f = 1; printf "%d", (60 + 10 * n) * f }')
[ -x "$build/bin/ldpn" ] || "$here/scripts/setup.sh" "$build"
ldpn="$build/bin/ldpn"

if [ "${1:-}" = "--on-display" ]; then
  : # the inner run, below
else
  work="$(mktemp -d /tmp/daypane-soak.XXXXXX)"
  trap 'rm -rf "$work"' EXIT
fi

declare -A codes
torn=0 leftovers=0 unexpected=0 failures=0

# One round: STARTS ldpn at once on the stamp in $1/data; their output in $1/run-N.err. Every
# start is due: with a display it ends by Exit (0), without one it cannot show the page (1).
round() {
  local dir="$1" display="$2" pids=() i expected=1
  [ -n "$display" ] && expected=0
  rm -rf "$dir" && mkdir -p "$dir/data" "$dir/runtime" && chmod 700 "$dir/runtime"
  printf '1\r\n' >"$dir/data/dpn.qcf"
  for ((i = 0; i < starts; i++)); do
    env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" HOME="$dir" \
      XDG_DATA_HOME="$dir/data" XDG_RUNTIME_DIR="$dir/runtime" LC_ALL=C.UTF-8 \
      QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu" \
      QT_LOGGING_RULES=daypane.startup=true \
      "$ldpn" "file://$here/resources/demo/index.html" 0 >"$dir/run-$i.out" 2>"$dir/run-$i.err" &
    pids+=($!)
  done
  if [ -n "$display" ]; then
    end_windows "$dir" "${pids[@]}"
  fi
  for ((i = 0; i < starts; i++)); do
    wait "${pids[$i]}"
    local rc=$?
    codes[$rc]=$((${codes[$rc]:-0} + 1))
    grep -q 'is not a valid integer value' "$dir/run-$i.err" && torn=$((torn + 1))
    if [ "$rc" -ne "$expected" ]; then
      unexpected=$((unexpected + 1))
      echo "start $i ended $rc: $(grep -v '^ ' "$dir/run-$i.err" | head -c 400)"
    fi
  done
  local stamp
  stamp=$(cat "$dir/data/dpn.qcf" 2>/dev/null)
  [[ "$stamp" =~ ^[0-9]+$'\r'$ ]] || { torn=$((torn + 1)); echo "stamp left: $(printf '%q' "$stamp")"; }
  # Exit wrote today's day over the stamp of day 1 (the soak, unlike the tests, reads the clock).
  if [ -n "$display" ] && [ "${stamp%$'\r'}" != "$((10#$(date +%j)))" ]; then
    unexpected=$((unexpected + 1))
    echo "stamp not written by Exit: $(printf '%q' "$stamp")"
  fi
  local extra
  extra=$(find "$dir/data" -mindepth 1 ! -name dpn.qcf -printf '%P\n')
  if [ -n "$extra" ]; then
    leftovers=$((leftovers + $(wc -l <<<"$extra")))
    echo "left in the data folder: $(echo $extra)"
  fi
}

# Clicks Exit on the top window while any start still runs: all windows open in the middle of
# the screen, so the click ends the one on top and the next comes up under the pointer.
end_windows() {
  local dir="$1" deadline=$((SECONDS + limit)) running
  shift
  while :; do
    running=0
    for pid in "$@"; do kill -0 "$pid" 2>/dev/null && running=$((running + 1)); done
    [ "$running" -eq 0 ] && return
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "round: $running starts still running after ${limit}s; ending them"
      failures=$((failures + 1))
      kill "$@" 2>/dev/null
      return
    fi
    local id X Y
    id=$(xdotool search --onlyvisible --name 'Last Login' 2>/dev/null | tail -1)
    if [ -n "$id" ]; then
      eval "$(xdotool getwindowgeometry --shell "$id")" # X, Y
      xdotool mousemove $((X + 81 + 68)) $((Y + 2 + 11)) click 1 2>/dev/null
    fi
    sleep 0.2 # the pause of a poll
  done
}

report() {
  local what="$1"
  echo "== $what: $rounds rounds of $starts starts"
  for rc in "${!codes[@]}"; do echo "   exit $rc: ${codes[$rc]}"; done
  echo "   unexpected ends: $unexpected   torn reads: $torn   leftover files: $leftovers   hung rounds: $failures"
  [ $((torn + leftovers + unexpected + failures)) -eq 0 ]
}

if [ "${1:-}" = "--on-display" ]; then
  rounds="$2"
  for ((r = 1; r <= rounds; r++)); do round "$3/display-$r" "$DISPLAY"; done
  report "with a display (each start ends by Exit: 0)"
  exit
fi

ok=0
for ((r = 1; r <= rounds; r++)); do round "$work/headless-$r" ""; done
report "without a display (each start finds none: 1)" || ok=1
"$here/tests/support/with-xvfb.sh" bash "$0" --on-display "$rounds" "$work" || ok=1
exit $ok
