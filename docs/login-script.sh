# Example: Daypane from a login script, for sessions that do not read XDG autostart entries.
# Source it from /etc/X11/Xsession.d/ (as e.g. 95daypane) or from ~/.xsessionrc, after setting
# the page address and the mode. See ldpn(1).
#
# Runs in the background so the session does not wait for the page; the messages and a
# failing exit status end up in the session log (~/.xsession-errors, or the journal).
DAYPANE_URL="http://intranet.example/news"
DAYPANE_MODE="/N" # /N first login of the day, /F every login, a number N at most every N days

if command -v ldpn >/dev/null 2>&1; then
    (
        ldpn "$DAYPANE_URL" "$DAYPANE_MODE"
        status=$?
        if [ "$status" -ne 0 ]; then
            echo "daypane: ldpn ended with exit status $status" >&2
        fi
    ) &
fi
