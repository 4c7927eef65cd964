#!/usr/bin/env bash
# Stops the cluster scripts/start-galera-cluster.sh started in RUN_DIR, with the state transfer
# helpers it may have left, and removes the folder (--keep-logs keeps it, for a failed start).
# A node already killed is passed over.
# Usage: scripts/stop-galera-cluster.sh RUN_DIR [--keep-logs]
set -u
run=${1:?usage: stop-galera-cluster.sh RUN_DIR [--keep-logs]}
[ -d "$run" ] || exit 0
run=$(cd "$run" && pwd)
owner=$(id -u)
if [ "$owner" -eq 0 ]; then owner=$(id -u mysql); fi

# The processes of the server user that work in a node folder of this run: the servers (their
# option file is there), the state transfer scripts and their rsync daemons (their data folder is).
# A PID file alone is not trusted: after a kill its number may belong to another process by now.
node_processes() {
  local dir pid
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [ "$(stat -c %u "$dir" 2>/dev/null)" = "$owner" ] || continue
    tr '\0' ' ' <"$dir/cmdline" 2>/dev/null | grep -q -F -- "$run/node" && echo "$pid"
  done
}

mapfile -t pids < <(node_processes)
[ ${#pids[@]} -gt 0 ] && kill "${pids[@]}" 2>/dev/null
for _ in $(seq 1 120); do
  mapfile -t pids < <(node_processes)
  [ ${#pids[@]} -eq 0 ] && break
  sleep 0.25
done
[ ${#pids[@]} -gt 0 ] && kill -9 "${pids[@]}" 2>/dev/null
for _ in $(seq 1 20); do
  [ -z "$(node_processes)" ] && break
  sleep 0.25
done
[ "${2:-}" = --keep-logs ] || rm -rf "$run"
