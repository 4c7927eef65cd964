#!/usr/bin/env bash
# Stops the servers scripts/start-test-databases.sh started in RUN_DIR and removes the folder.
# Usage: scripts/stop-test-databases.sh RUN_DIR
set -u
run=${1:?usage: stop-test-databases.sh RUN_DIR}
[ -d "$run" ] || exit 0
if [ -d "$run/pg/data" ]; then
  bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$bin/pg_ctl" -D "$run/pg/data" -m fast -w stop >/dev/null 2>&1
  else
    "$bin/pg_ctl" -D "$run/pg/data" -m fast -w stop >/dev/null 2>&1
  fi
fi
# The small disk of the full-disk tests.
if mountpoint -q "$run/pg-small" 2>/dev/null; then umount "$run/pg-small"; fi
if [ -f "$run/mariadb/pid" ]; then
  pid=$(cat "$run/mariadb/pid")
  kill "$pid" 2>/dev/null
  for _ in $(seq 1 60); do kill -0 "$pid" 2>/dev/null || break; sleep 0.5; done
  kill -9 "$pid" 2>/dev/null
fi
rm -rf "$run"
