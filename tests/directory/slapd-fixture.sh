#!/usr/bin/env bash
# A throw-away OpenLDAP server for the tests and the benchmark, on loopback only.
#   slapd-fixture.sh start DIR [OWNER-PID]   make DIR, start slapd, wait until it answers
#   slapd-fixture.sh stop DIR                stop it and wait until it has gone
# `start` prints shell assignments (also kept in DIR/env): LDAP_PORT, LDAPS_PORT, LDAPS2_URI,
# LDAPI_URI, CA (the test CA), OTHER_CA (a CA that signed nothing of this server). slapd's
# output goes to DIR/slapd.log. With OWNER-PID, slapd is stopped when that process ends, so a
# test that crashes leaves no server behind.
#
# Directory o=Acme: cn=jdoe (uid jdoe, previous login 2026-07-18 08:15 UTC), cn=jtoday (uid
# jtoday, 2026-07-19 06:00 UTC), cn=jnone (no previous login), cn=jbad (lastLoginText holds a
# malformed time), cn=joff (20260718091500.5+0100), two entries with uid twin, and cn=reader
# (password readerpw) for simple binds. SASL EXTERNAL over ldapi:// maps the caller's uid to
# cn=jdoe. The certificate names 127.0.0.1 and localhost; LDAPS2_URI reaches the same server
# by 127.0.0.2, a name the certificate does not hold. FIXTURE_EXTRA_LDIF names a file of more
# entries to load.
set -euo pipefail
cmd="${1:?start or stop}" dir="${2:?folder}"

stop() {
    [ -f "$dir/slapd.pid" ] || return 0
    local pid
    pid=$(cat "$dir/slapd.pid")
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
}

if [ "$cmd" = stop ]; then
    stop
    exit 0
fi
[ "$cmd" = start ] || { echo "usage: $0 start|stop DIR [OWNER-PID]" >&2; exit 2; }
owner="${3:-}"
slapd=$(command -v slapd || echo /usr/sbin/slapd)
[ -x "$slapd" ] || { echo "slapd is not installed" >&2; exit 77; }
command -v certtool >/dev/null || { echo "certtool is not installed" >&2; exit 77; }

mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
rm -rf "$dir/db" && mkdir -p "$dir/db"

# Certificates valid from 2000 to 2099, so that a faked clock does not make them fail.
validity='activation_date = "2000-01-01 00:00:00"
expiration_date = "2099-12-31 00:00:00"'
printf 'cn = Daypane Test CA\nca\ncert_signing_key\n%s\n' "$validity" >"$dir/ca.tmpl"
printf 'cn = Daypane Other CA\nca\ncert_signing_key\n%s\n' "$validity" >"$dir/other.tmpl"
printf 'cn = localhost\ndns_name = localhost\nip_address = 127.0.0.1\ntls_www_server\nsigning_key\nencryption_key\n%s\n' \
    "$validity" >"$dir/server.tmpl"
gen() { certtool "$@" >/dev/null 2>&1; }
gen --generate-privkey --key-type=ecdsa --outfile "$dir/ca.key"
gen --generate-self-signed --load-privkey "$dir/ca.key" --template "$dir/ca.tmpl" --outfile "$dir/ca.pem"
gen --generate-privkey --key-type=ecdsa --outfile "$dir/other.key"
gen --generate-self-signed --load-privkey "$dir/other.key" --template "$dir/other.tmpl" --outfile "$dir/other-ca.pem"
gen --generate-privkey --key-type=ecdsa --outfile "$dir/server.key"
gen --generate-certificate --load-privkey "$dir/server.key" --load-ca-certificate "$dir/ca.pem" \
    --load-ca-privkey "$dir/ca.key" --template "$dir/server.tmpl" --outfile "$dir/server.pem"

cat >"$dir/test.schema" <<'EOF'
attributetype ( 1.3.6.1.4.1.55555.1.1 NAME 'lastLoginTime'
  EQUALITY generalizedTimeMatch ORDERING generalizedTimeOrderingMatch
  SYNTAX 1.3.6.1.4.1.1466.115.121.1.24 SINGLE-VALUE )
attributetype ( 1.3.6.1.4.1.55555.1.2 NAME 'lastLoginText'
  EQUALITY caseExactMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 SINGLE-VALUE )
objectclass ( 1.3.6.1.4.1.55555.2.1 NAME 'daypaneUser' SUP top AUXILIARY
  MAY ( uid $ lastLoginTime $ lastLoginText ) )
EOF

cat >"$dir/slapd.conf" <<EOF
include /etc/ldap/schema/core.schema
include $dir/test.schema
pidfile $dir/slapd.pid
modulepath /usr/lib/ldap
moduleload back_mdb
TLSCACertificateFile $dir/ca.pem
TLSCertificateFile $dir/server.pem
TLSCertificateKeyFile $dir/server.key
authz-regexp "^gidNumber=[0-9]+\\\\+uidNumber=$(id -u),cn=peercred,cn=external,cn=auth\$"
  "cn=jdoe,ou=Sales,o=Acme"
database mdb
suffix "o=Acme"
rootdn "cn=admin,o=Acme"
directory $dir/db
maxsize 10485760
access to attrs=userPassword by anonymous auth by * none
access to * by * read
EOF

user() { # cn uid [attribute: value]
    printf 'dn: cn=%s,ou=Sales,o=Acme\nobjectClass: person\nobjectClass: daypaneUser\ncn: %s\nsn: %s\nuid: %s\n' \
        "$1" "$1" "$1" "$2"
    [ -z "${3:-}" ] || printf '%s\n' "$3"
    printf '\n'
}
{
    printf 'dn: o=Acme\nobjectClass: organization\no: Acme\n\n'
    printf 'dn: ou=Sales,o=Acme\nobjectClass: organizationalUnit\nou: Sales\n\n'
    user jdoe jdoe 'lastLoginTime: 20260718081500Z'
    user jtoday jtoday 'lastLoginTime: 20260719060000Z'
    user jnone jnone
    user jbad jbad 'lastLoginText: 2026-07-18 08:15'
    user joff joff 'lastLoginTime: 20260718091500.5+0100'
    user twin1 twin 'lastLoginTime: 20260718081500Z'
    user twin2 twin 'lastLoginTime: 20260718081500Z'
    printf 'dn: cn=reader,o=Acme\nobjectClass: person\ncn: reader\nsn: Reader\nuserPassword: readerpw\n\n'
    if [ -n "${FIXTURE_EXTRA_LDIF:-}" ]; then cat "$FIXTURE_EXTRA_LDIF"; printf '\n'; fi
} >"$dir/data.ldif"
slapadd -f "$dir/slapd.conf" -l "$dir/data.ldif" >"$dir/slapadd.log" 2>&1 ||
    { cat "$dir/slapadd.log" >&2; exit 1; }

ldapi="ldapi://$(printf '%s' "$dir/ldapi" | sed 's|/|%2F|g')"
for attempt in 1 2 3 4 5 6 7 8; do
    # A random pair of ports; a taken one makes slapd fail to bind, and the next pair is tried.
    ldap_port=$((20000 + RANDOM % 20000))
    ldaps_port=$((ldap_port + 20000))
    rm -f "$dir/ldapi" "$dir/slapd.pid"
    "$slapd" -f "$dir/slapd.conf" -d 0 \
        -h "ldap://127.0.0.1:$ldap_port/ ldaps://127.0.0.1:$ldaps_port/ ldaps://127.0.0.2:$ldaps_port/ $ldapi" \
        </dev/null >"$dir/slapd.log" 2>&1 &
    pid=$!
    echo "$pid" >"$dir/slapd.pid"
    ready=
    for _ in $(seq 300); do # 30 s at most; ends at once when slapd has exited
        kill -0 "$pid" 2>/dev/null || break
        if [ -S "$dir/ldapi" ] && (exec 3<>"/dev/tcp/127.0.0.1/$ldap_port") 2>/dev/null &&
            (exec 3<>"/dev/tcp/127.0.0.1/$ldaps_port") 2>/dev/null; then
            ready=1
            break
        fi
        sleep 0.1
    done
    [ -n "$ready" ] && break
    if kill -0 "$pid" 2>/dev/null; then
        echo "slapd did not become ready within 30 s:" >&2
        cat "$dir/slapd.log" >&2
        stop
        exit 1
    fi
    grep -q 'bind(.*) failed\|Address already in use' "$dir/slapd.log" || {
        echo "slapd exited:" >&2
        cat "$dir/slapd.log" >&2
        exit 1
    }
done
[ -n "$ready" ] || { echo "no free ports for slapd" >&2; cat "$dir/slapd.log" >&2; exit 1; }

if [ -n "$owner" ]; then
    # Stops the server when its owner ends without stopping it.
    (
        trap '' HUP
        while kill -0 "$owner" 2>/dev/null && kill -0 "$pid" 2>/dev/null; do sleep 1; done
        kill "$pid" 2>/dev/null || true
    ) </dev/null >/dev/null 2>&1 &
fi

cat >"$dir/env" <<EOF
LDAP_PORT=$ldap_port
LDAPS_PORT=$ldaps_port
LDAPS2_URI=ldaps://127.0.0.2:$ldaps_port
LDAPI_URI=$ldapi
CA=$dir/ca.pem
OTHER_CA=$dir/other-ca.pem
EOF
cat "$dir/env"
