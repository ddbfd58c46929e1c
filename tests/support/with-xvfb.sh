#!/usr/bin/env bash
# Runs a command on a virtual display of its own and ends the display afterwards.
#   with-xvfb.sh COMMAND [ARGS...]
# Xvfb chooses a free display number itself and reports it (-displayfd), so runs side by side
# never guess the same one; the command starts once the display accepts connections, with
# DISPLAY set. Limits scale by DAYPANE_TEST_TIMEOUT_FACTOR. The command's status is the result.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/prerequisite.sh"
command -v Xvfb >/dev/null || missing_prerequisite "Xvfb is not installed (package xvfb)"
command -v xdpyinfo >/dev/null || missing_prerequisite "xdpyinfo is not installed (package x11-utils)"
limit=$(awk -v f="${DAYPANE_TEST_TIMEOUT_FACTOR:-1}" 'BEGIN { if (f + 0 <= 0) f = 1; printf "%d", 30 * f + 0.5 }')

dir=$(mktemp -d "${TMPDIR:-/tmp}/daypane-xvfb.XXXXXX") || exit 1
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# The number arrives through a pipe, which ends at once should the server die before it writes.
mkfifo "$dir/displayfd" || exit 1
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/displayfd" \
  >"$dir/xvfb.log" 2>&1 </dev/null &
xvfb_pid=$!
number=
read -r -t "$limit" number <"$dir/displayfd"
if ! [[ "$number" =~ ^[0-9]+$ ]]; then
  echo "with-xvfb.sh: Xvfb did not report a display within ${limit}s:" >&2
  cat "$dir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$number"
unset WAYLAND_DISPLAY

# Ready once a client gets through; a busy server may refuse one for a moment.
deadline=$((SECONDS + limit))
until xdpyinfo >/dev/null 2>&1; do
  if ! kill -0 "$xvfb_pid" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
    echo "with-xvfb.sh: display $DISPLAY does not accept connections:" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
  fi
  sleep 0.05 # the pause of a poll
done

"$@"
