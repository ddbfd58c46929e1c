#!/bin/bash
# Runs a command with a private CUPS server and its default printer, a raw queue that keeps
# every job's document (the PDF that Qt sends) in the spool folder. Two more printers fail what
# they are given: one takes each job and then gives it up (its device fails, saying why), one
# takes no job at all. Without CUPS it reports a missing prerequisite
# (tests/support/prerequisite.sh).
#   with_cups_printer.sh COMMAND [ARGS...]
# The command sees CUPS_SERVER, DAYPANE_TEST_PRINTER_SPOOL (the jobs' documents: d*-001), and
# the names of the two others in DAYPANE_TEST_FAILING_PRINTER (its device says "the paper tray
# is on fire") and DAYPANE_TEST_REJECTING_PRINTER.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../support/prerequisite.sh"
CUPSD=$(command -v cupsd || echo /usr/sbin/cupsd)
if [ ! -x "$CUPSD" ] || ! command -v lpadmin >/dev/null; then
  missing_prerequisite "CUPS is not installed (package cups)"
fi

dir=$(mktemp -d /tmp/daypane-cups.XXXXXX)
mkdir -p "$dir"/{etc,spool,tmp,cache,state,log,serverbin/backend}
# The system's filters and helpers, and a device of the test's own that fails every job.
for part in /usr/lib/cups/*; do
  [ "${part##*/}" = backend ] || ln -s "$part" "$dir/serverbin/"
done
cat > "$dir/serverbin/backend/daypane-failing" <<'BACKEND'
#!/bin/sh
# Without arguments CUPS asks which devices it offers.
[ $# -eq 0 ] && { echo 'direct daypane-failing "Unknown" "A device that fails every job"'; exit 0; }
echo "ERROR: the paper tray is on fire" >&2
exit 1
BACKEND
chmod 755 "$dir/serverbin" "$dir/serverbin/backend" "$dir/serverbin/backend/daypane-failing"
# The server writes the jobs as its own user.
chmod 755 "$dir"
chmod 1777 "$dir/tmp"
cat > "$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel warn
PreserveJobHistory Yes
PreserveJobFiles Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
cat > "$dir/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
ServerBin $dir/serverbin
DataDir /usr/share/cups
CONF

"$CUPSD" -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
cupsd_pid=$!
cleanup() {
  kill "$cupsd_pid" 2>/dev/null
  wait "$cupsd_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

export CUPS_SERVER="$dir/cups.sock"
for _ in $(seq 100); do
  [ -S "$CUPS_SERVER" ] && lpstat -r >/dev/null 2>&1 && break
  sleep 0.1
done
if ! lpadmin -p DaypanePDF -E -v file:///dev/null -m raw 2>"$dir/log/lpadmin.out" ||
   ! lpadmin -d DaypanePDF ||
   ! lpadmin -p DaypaneFailing -E -v daypane-failing:/ -m raw -o printer-error-policy=abort-job \
     2>>"$dir/log/lpadmin.out" ||
   ! lpadmin -p DaypaneRejecting -E -v file:///dev/null -m raw 2>>"$dir/log/lpadmin.out" ||
   ! cupsreject -r "closed for the night" DaypaneRejecting 2>>"$dir/log/lpadmin.out"; then
  cat "$dir/log/lpadmin.out" "$dir/log/cupsd.out" >&2
  exit 1
fi
export DAYPANE_TEST_PRINTER_SPOOL="$dir/spool"
export DAYPANE_TEST_FAILING_PRINTER=DaypaneFailing DAYPANE_TEST_REJECTING_PRINTER=DaypaneRejecting
"$@"
