#!/usr/bin/env bash
# The run command: installs what is needed, builds, and opens the window on an embedded SQLite
# catalogue. On the first run it creates, in the user's data folder, a SQLite database with the
# two tables, a file data source for the SQLite3 ODBC driver and a settings file that selects
# both, so that the window opens on an empty, working folder list.
# Usage: scripts/run.sh   (TESSARINE_BUILD_DIR overrides the build folder, default build/). Run as
# a user, it asks sudo only to install missing packages; run as root (a minimal Debian, no sudo),
# it needs nothing more; run through sudo, the catalogue still belongs to the user who called it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARINE_BUILD_DIR:-"$root/build"}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$build"
program="$build/src/gui/tessarine-pro"

# Under sudo the catalogue and the window belong to the user who called it, not to root.
user=$(id -un)
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
  user=$SUDO_USER
fi
home=$(getent passwd "$user" | cut -d: -f6)
if [ "$user" = "$(id -un)" ]; then
  data_home=${XDG_DATA_HOME:-"$home/.local/share"}
else
  data_home="$home/.local/share"
fi
data="$data_home/tessarine-pro"
as_user=()
[ "$user" = "$(id -un)" ] || as_user=(sudo -H -u "$user")

if ! odbcinst -q -d -n SQLite3 >/dev/null 2>&1; then
  echo "run: the SQLite3 ODBC driver is not registered (package libsqliteodbc)" >&2
  exit 1
fi

# First run: the embedded catalogue with its tables, its file data source and the settings.
"${as_user[@]}" "$root/scripts/prepare-embedded-catalogue.sh" "$data" "$build/src/cli/tessarine"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MESSAGE
run: no display. Tessarine PRO is a desktop program and needs a graphical session
(DISPLAY or WAYLAND_DISPLAY is not set). It is built and its catalogue is ready:
  program:   $program
  settings:  $data/Tessarine PRO.ini
Start it from a desktop session with:
  TESSARINE_HOME="$data" "$program"
or without a screen, for a look only:
  TESSARINE_HOME="$data" xvfb-run "$program"
MESSAGE
  exit 1
fi

# Only the display variables that are set reach the window (an empty one misleads Qt).
display=()
for name in DISPLAY WAYLAND_DISPLAY XAUTHORITY XDG_RUNTIME_DIR; do
  [ -n "${!name:-}" ] && display+=("$name=${!name}")
done
echo "run: starting Tessarine PRO with the settings in $data"
exec "${as_user[@]}" env "${display[@]}" TESSARINE_HOME="$data" "$program"
