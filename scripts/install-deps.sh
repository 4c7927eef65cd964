#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/debian-packages.txt that are missing. Only apt-get
# and the policy file need root: as root they run directly (a minimal Debian has no sudo), as
# another user through sudo.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t packages < <(grep -v -E '^\s*(#|$)' "$here/debian-packages.txt")
# Debian's entries for the PostgreSQL ODBC driver turn its communication log on (CommLog=1 in
# /etc/odbcinst.ini): the driver reads that when no connection of the process is open, so whatever
# a data source says, each process writes /tmp/psqlodbc_<user><pid>.log as it closes its last
# connection. Turned off for this machine's runs (see README, "Installing").
quiet_postgresql_driver() {
  local ini=/etc/odbcinst.ini
  grep -q '^CommLog=1' "$ini" 2>/dev/null || return 0
  if [ -w "$ini" ]; then
    sed -i 's/^CommLog=1$/CommLog=0/' "$ini"
  elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo sed -i 's/^CommLog=1$/CommLog=0/' "$ini"
  fi
}
trap quiet_postgresql_driver EXIT
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "install-deps: missing ${missing[*]}; installing them needs root, and sudo is not installed:" \
      "run this as root" >&2
    exit 1
  fi
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# Servers are started by the project's own scripts; keep the packages from starting theirs.
policy=/usr/sbin/policy-rc.d
# Removed again however apt-get ends: left behind, it would keep every service from starting.
if [ ! -e "$policy" ]; then
  trap '$sudo rm -f "$policy"; quiet_postgresql_driver' EXIT
  printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
  $sudo chmod +x "$policy"
fi
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "install-deps: installed ${missing[*]}"
