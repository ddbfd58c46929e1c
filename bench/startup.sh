#!/usr/bin/env bash
# Times ldpn ending through the interval test (and, with the stand-in directory client, through
# the normal-mode test; and through the normal-mode test with the LDAP source and a local slapd
# that the script starts itself) against a bare Qt Widgets start, and prints the ratios of the
# medians.
# Targets: wall time at most 0.5, peak memory at most 0.8 of the bare start.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
runs="${RUNS:-40}"
[ -x "$build/bin/ldpn" ] || "$here/scripts/setup.sh" "$build"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work"
export LC_ALL=C.UTF-8
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Today's day of the year as the stamp: the interval of 7 days has not run out.
printf '%d\r\n' "$((10#$(date +%j)))" > "$work/dpn.qcf"

# The normal-mode path with the stand-in directory client (previous login today).
: "${NWSIM_BENCH_ENV=LD_LIBRARY_PATH=$build/nwsim/full NWSIM_DIRECTORY=$here/resources/demo/directory/acme-today.tree}"
extra=()
if [ -n "${NWSIM_BENCH_ENV:-}" ]; then
  # e.g. NWSIM_BENCH_ENV="LD_LIBRARY_PATH=... NWSIM_DIRECTORY=..." for the normal-mode path
  extra=(env $NWSIM_BENCH_ENV)
fi

# The normal-mode path through LDAP: a throw-away slapd on loopback holding a user whose previous
# login is now, so that the page is not due.
ldap_env=""
if command -v slapd >/dev/null || [ -x /usr/sbin/slapd ]; then
  now=$(date -u +%Y%m%d%H%M%SZ)
  printf 'dn: cn=jbench,ou=Sales,o=Acme\nobjectClass: person\nobjectClass: daypaneUser\ncn: jbench\nsn: Bench\nuid: jbench\nlastLoginTime: %s\n' \
    "$now" >"$work/bench.ldif"
  fixture="$here/tests/directory/slapd-fixture.sh"
  trap 'bash "$fixture" stop "$work/slapd" >/dev/null 2>&1; rm -rf "$work"' EXIT
  FIXTURE_EXTRA_LDIF="$work/bench.ldif" bash "$fixture" start "$work/slapd" $$ >/dev/null
  . "$work/slapd/env"
  mkdir -p "$work/ldapconfig/daypane"
  printf '[directory]\nsource = ldap\n[ldap]\nuri = ldap://127.0.0.1:%s\nbase = o=Acme\n' "$LDAP_PORT" \
    >"$work/ldapconfig/daypane/daypane.conf"
  : >"$work/ldap.conf"
  ldap_env="XDG_CONFIG_HOME=$work/ldapconfig LOGNAME=jbench LDAPCONF=$work/ldap.conf"
else
  echo "note: slapd is not installed, the LDAP row is left out"
fi
export LDAP_BENCH_ENV="$ldap_env"

# The bare start connects to a display, as at a graphical login: a virtual one when none is set.
wrap=()
if [ -z "${DISPLAY:-}" ]; then wrap=(xvfb-run -a -s "-screen 0 1024x768x24"); fi

"${wrap[@]}" python3 - "$runs" "$build" "${extra[@]}" <<'PY'
import os, resource, statistics, subprocess, sys, time

runs = int(sys.argv[1]); build = sys.argv[2]; prefix = sys.argv[3:]
def measure(cmd, env_extra=None):
    env = dict(os.environ, **(env_extra or {}))
    walls, mems = [], []
    for _ in range(runs):
        t0 = time.perf_counter()
        pid = os.fork()
        if pid == 0:
            os.execvpe(cmd[0], cmd, env)
        _, status, usage = os.wait4(pid, 0)
        walls.append((time.perf_counter() - t0) * 1000)
        mems.append(usage.ru_maxrss / 1024)
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit(f"{cmd} failed with {status}")
    return statistics.median(walls), statistics.median(mems)

bare = measure([f"{build}/bin/bare_qt_start"])
cases = [("interval test ends", prefix + [f"{build}/bin/ldpn", "file:///dev/null", "7"])]
if prefix:
    cases.append(("normal mode ends", prefix + [f"{build}/bin/ldpn", "file:///dev/null", "/N"]))
if os.environ.get("LDAP_BENCH_ENV"):
    cases.append(("normal mode via LDAP", ["env"] + os.environ["LDAP_BENCH_ENV"].split() +
                  [f"{build}/bin/ldpn", "file:///dev/null", "/N"]))
print(f"bare Qt Widgets start: {bare[0]:7.2f} ms  {bare[1]:7.1f} MiB")
worst = 0.0
for name, cmd in cases:
    wall, mem = measure(cmd)
    rw, rm = wall / bare[0], mem / bare[1]
    print(f"{name:21s}: {wall:7.2f} ms  {mem:7.1f} MiB   ratio wall {rw:.2f} (<= 0.5)  memory {rm:.2f} (<= 0.8)")
    if rw > 0.5 or rm > 0.8:
        worst = 1
sys.exit(int(worst))
PY
