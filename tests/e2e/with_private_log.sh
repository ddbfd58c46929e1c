#!/bin/bash
# Runs a command in a private mount namespace where the system's log is the test's own: /run
# shows no systemd and no log folder, /dev no log socket, /var/log/journal is empty. A journald
# or a syslog socket that the command starts there is what every program it runs logs to, and
# nothing reaches the machine's own log.
#   with_private_log.sh COMMAND [ARGS...]
# Inside, the command sees DAYPANE_TEST_PRIVATE_LOG=1. Where no namespace can be made (no right
# to one), it runs outside with DAYPANE_TEST_NO_PRIVATE_LOG set to the reason, and should skip.
set -u

if [ "${DAYPANE_PRIVATE_LOG_STAGE:-}" != inside ]; then
  scratch=$(mktemp -d /tmp/daypane-log.XXXXXX) || exit 1
  mkdir "$scratch/run" "$scratch/dev"
  # Only empty folders are left here: the mounts on them live in the namespace alone.
  trap 'rmdir "$scratch/run" "$scratch/dev" "$scratch" 2>/dev/null' EXIT
  how=(-m --propagation private)
  # A normal user gets the right to mount from a user namespace of their own.
  [ "$(id -u)" -ne 0 ] && how=(-r "${how[@]}")
  if why=$(unshare "${how[@]}" true 2>&1); then
    DAYPANE_PRIVATE_LOG_STAGE=inside DAYPANE_PRIVATE_LOG_SCRATCH="$scratch" \
      unshare "${how[@]}" bash "$0" "$@"
    exit
  fi
  DAYPANE_TEST_NO_PRIVATE_LOG="unshare ${how[*]}: ${why:-refused}" "$@"
  exit
fi
unset DAYPANE_PRIVATE_LOG_STAGE
scratch=$DAYPANE_PRIVATE_LOG_SCRATCH
unset DAYPANE_PRIVATE_LOG_SCRATCH

# Puts an empty tmpfs over `dir` that shows every entry of the old one but those named. The
# mounts are never noted in the machine's /run/mount (-n).
replace() {
  local dir=$1 old=$2 entry name
  shift 2
  mount -n --rbind "$dir" "$old" && mount -n -t tmpfs -o mode=755 daypane-private-log "$dir" ||
    return
  for entry in "$old"/* "$old"/.[!.]*; do
    [ -e "$entry" ] || [ -L "$entry" ] || continue
    name=${entry##*/}
    case " $* " in *" $name "*) continue ;; esac
    if [ -L "$entry" ]; then
      cp -P "$entry" "$dir/$name"
    elif [ -d "$entry" ]; then
      mkdir "$dir/$name" && mount -n --rbind "$entry" "$dir/$name"
    else
      : >"$dir/$name" && mount -n --bind "$entry" "$dir/$name"
    fi || return
  done
}

if why=$(replace /run "$scratch/run" systemd log mount 2>&1 && mkdir /run/systemd /run/log &&
         replace /dev "$scratch/dev" log 2>&1 &&
         { [ ! -d /var/log/journal ] ||
           mount -n -t tmpfs -o mode=755 daypane-private-log /var/log/journal; } 2>&1); then
  DAYPANE_TEST_PRIVATE_LOG=1 exec "$@"
fi
DAYPANE_TEST_NO_PRIVATE_LOG="cannot set up the private log folders: $why" exec "$@"
