#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, then configures and builds.
# Usage: scripts/setup.sh [build-dir [cmake options...]] | --packages-only
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build}"
shift $(($# > 0 ? 1 : 0))

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libqt6webenginecore6-bin
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils libxcb1 qt6-wayland openbox weston
  tzdata faketime libfaketime hyperfine cups
  dpkg-dev fakeroot lintian groff man-db desktop-file-utils xdotool xclip xdg-utils
  fonts-liberation2 fontconfig libfreetype-dev
  libldap-dev libsasl2-dev slapd ldap-utils gnutls-bin libxcb1-dev libcups2-dev
  systemd
  clang libclang-rt-14-dev
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  # The tests start slapd themselves; the package must neither ask for a domain nor set up and
  # start a system server of its own.
  echo "slapd slapd/no_configuration boolean true" | "${sudo_cmd[@]}" debconf-set-selections
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

[ "$build" = --packages-only ] && exit 0
# Ninja unless CMAKE_GENERATOR names another (the sanitizer pass builds with Unix Makefiles, as
# Debian's helpers and most IDEs do).
cmake -S "$here" -B "$build" -G "${CMAKE_GENERATOR:-Ninja}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
