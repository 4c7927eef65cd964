#!/usr/bin/env bash
# The run command: installs what is needed, builds the programs (not the tests), and opens the
# window. On its first start the program itself creates the embedded SQLite catalogue in the user's
# data folder (the database with its two tables, a file data source and the settings that select
# them), so that the window opens on an empty, working folder list.
# Usage: scripts/run.sh   (TESSARINE_BUILD_DIR overrides the build folder, default build/). Run as
# a user, it asks sudo only to install missing packages; run as root (a minimal Debian, no sudo),
# it needs nothing more; run through sudo, the catalogue still belongs to the user who called it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARINE_BUILD_DIR:-"$root/build"}

"$root/scripts/install-deps.sh"
# What the window runs: itself, its decoder, its manual; the command for the shell beside it.
"$root/scripts/build.sh" "$build" -DTESSARINE_BUILD_TESTS=OFF -- tessarine-pro tessarine tessarine-decoder \
  tessarine-pro-documents
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

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MESSAGE
run: no display. Tessarine PRO is a desktop program and needs a graphical session
(DISPLAY or WAYLAND_DISPLAY is not set). It is built; its first start creates the catalogue in
$data (as does the command: TESSARINE_HOME="$data" "$build/src/cli/tessarine" folders add FOLDER).
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
