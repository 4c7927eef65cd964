#!/usr/bin/env bash
# Starts a throwaway three-node MariaDB Galera cluster on loopback for the scale-out tests: one
# folder per node under RUN_DIR, no systemd, free ports (client, group communication, incremental
# and full state transfer per node), the first node bootstrapping the cluster and the other two
# joining it by rsync state transfer. Creates a database "tessarine" and a user "tessarine", writes
# user data sources TessarineGalera1..3 (one per node) in RUN_DIR/odbc.ini and RUN_DIR/env.sh, which
# exports ODBCINI, TESSARINE_GALERA_DSN1..3, TESSARINE_GALERA_LOGIN, TESSARINE_GALERA_PASSWORD and
# TESSARINE_GALERA_PIDFILE1..3 and TESSARINE_GALERA_START1..3 (each node's server PID file and
# start command, for a test that kills a node and starts it again).
# Run as root, the servers run as the unprivileged mysql user. Exits non-zero when the cluster does
# not come up with three synced nodes (whatever was started is stopped again).
# Usage: scripts/start-galera-cluster.sh RUN_DIR      stop with scripts/stop-galera-cluster.sh RUN_DIR
set -uo pipefail
run=${1:?usage: start-galera-cluster.sh RUN_DIR}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$run"
run=$(cd "$run" && pwd)
chmod 755 "$run"  # the server user must reach its folders
password="Tessarine-test-7"
provider=/usr/lib/galera/libgalera_smm.so
server=/usr/sbin/mariadbd
nodes="1 2 3"

is_root() { [ "$(id -u)" -eq 0 ]; }
# Prints the message and the end of the log it names, stops whatever was started, keeps RUN_DIR
# and its logs, and exits.
fail() {
  echo "start-galera-cluster: $1${2:+, see $2}" >&2
  [ -n "${2:-}" ] && [ -f "$2" ] && tail -n 20 "$2" >&2
  "$here/stop-galera-cluster.sh" "$run" --keep-logs
  exit 1
}
# The first port from $1 on that nothing listens on and that this script has not handed out yet.
taken=" "
free_port() {
  local port=$1
  while [[ $taken == *" $port "* ]] || (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
  taken="$taken$port "
  echo "$port"
}
# Runs SQL statements as root on a node's socket; prints the result without headers.
sql() {
  local node=$1
  shift
  mariadb --no-defaults --socket="$run/node$node/sock" -uroot -N -B -e "$*"
}
# A status variable of the node; empty while the node does not answer.
status_of() { sql "$1" "show global status like '$2'" 2>/dev/null | cut -f2; }
# Waits up to $2 seconds until the node is synced with the cluster and ready for clients.
wait_synced() {
  local node=$1 tries=$(($2 * 4)) i
  for ((i = 0; i < tries; i++)); do
    [ "$(status_of "$node" wsrep_ready)" = ON ] && [ "$(status_of "$node" wsrep_local_state_comment)" = Synced ] &&
      return 0
    # A server that died will not come back by waiting.
    kill -0 "${server_pid[$node]}" 2>/dev/null || return 1
    sleep 0.25
  done
  return 1
}

[ -x "$server" ] || fail "MariaDB is not installed (no $server)"
[ -f "$provider" ] || fail "Galera is not installed (no $provider, package galera-4)"
command -v rsync >/dev/null || fail "rsync is not installed (the state transfer needs it)"
user_opt=()
if is_root; then user_opt=(--user=mysql); fi

# The ports lie below the kernel's range for outgoing connections (32768 and up by default): there,
# a client's port, or the others reconnecting to a killed node, could hold a port the node needs
# when it is started again.
declare -A client group ist sst
address=""
for n in $nodes; do
  client[$n]=$(free_port $((23306 + 10 * (n - 1))))
  group[$n]=$(free_port $((24567 + 10 * (n - 1))))
  ist[$n]=$(free_port $((group[$n] + 1)))
  sst[$n]=$(free_port $((ist[$n] + 1)))
  address="$address${address:+,}127.0.0.1:${group[$n]}"
done

# One option file per node: the state transfer scripts read the server's options from it.
for n in $nodes; do
  home="$run/node$n"
  mkdir -p "$home/data"
  cat >"$home/my.cnf" <<CNF
[mysqld]
datadir=$home/data
socket=$home/sock
port=${client[$n]}
bind-address=127.0.0.1
pid-file=$home/pid
log-error=$home/server.log
character-set-server=utf8mb4
collation-server=utf8mb4_bin
skip-log-bin
innodb-flush-log-at-trx-commit=0
innodb-buffer-pool-size=64M
# What Galera needs: row events, InnoDB, interleaved auto-increment locks.
binlog-format=ROW
default-storage-engine=InnoDB
# As managed clusters are set up: every table must have a primary key.
innodb-force-primary-key=ON
wsrep-mode=REQUIRED_PRIMARY_KEY
innodb-autoinc-lock-mode=2
wsrep-on=ON
wsrep-provider=$provider
wsrep-cluster-name=tessarine-test
wsrep-cluster-address=gcomm://$address
wsrep-node-name=node$n
wsrep-node-address=127.0.0.1:${group[$n]}
wsrep-provider-options="gmcast.listen_addr=tcp://127.0.0.1:${group[$n]};ist.recv_addr=127.0.0.1:${ist[$n]};gcache.size=64M"
wsrep-sst-method=rsync
wsrep-sst-receive-address=127.0.0.1:${sst[$n]}
CNF
  if is_root; then chown -R mysql "$home"; fi
done

# The first node gets the system tables and founds the cluster; the others receive everything from it.
mariadb-install-db --defaults-file="$run/node1/my.cnf" "${user_opt[@]}" --auth-root-authentication-method=normal \
  --skip-test-db >"$run/install.log" 2>&1 || fail "mariadb-install-db failed" "$run/install.log"
# Each node's start command, also for a test that restarts a node it killed: the server replaces
# the script, so its PID is the server's.
for n in $nodes; do
  cat >"$run/node$n/start" <<SH
#!/bin/sh
# Runs node $n of the Galera cluster of $run; it joins the others.
exec '$server' --defaults-file='$run/node$n/my.cnf' ${user_opt[*]} "\$@"
SH
  chmod 755 "$run/node$n/start"
done
declare -A server_pid
start_node() {
  "$run/node$1/start" "${@:2}" >/dev/null 2>&1 </dev/null &
  server_pid[$1]=$!
}
start_node 1 --wsrep-new-cluster
wait_synced 1 60 || fail "node 1 did not found the cluster" "$run/node1/server.log"
sql 1 "
  create database tessarine character set utf8mb4 collate utf8mb4_bin;
  create user 'tessarine'@'127.0.0.1' identified by '$password';
  create user 'tessarine'@'localhost' identified by '$password';
  grant all on tessarine.* to 'tessarine'@'127.0.0.1';
  grant all on tessarine.* to 'tessarine'@'localhost';" || fail "could not create the database on node 1"

# The joiners one after the other: each takes a full state transfer from a synced node.
for n in 2 3; do
  start_node "$n"
  wait_synced "$n" 90 || fail "node $n did not join the cluster" "$run/node$n/server.log"
done
size=$(status_of 1 wsrep_cluster_size)
[ "$size" = 3 ] || fail "the cluster has $size nodes instead of 3"

odbc_ini="$run/odbc.ini"
: >"$odbc_ini"
{
  echo "export ODBCINI='$odbc_ini'"
  echo "export TESSARINE_GALERA_LOGIN=tessarine TESSARINE_GALERA_PASSWORD='$password'"
} >"$run/env.sh"
for n in $nodes; do
  cat >>"$odbc_ini" <<INI
[TessarineGalera$n]
Driver=MariaDB Unicode
Server=127.0.0.1
Port=${client[$n]}
Database=tessarine
CHARSET=utf8mb4

INI
  echo "export TESSARINE_GALERA_DSN$n=TessarineGalera$n TESSARINE_GALERA_PIDFILE$n='$run/node$n/pid'" \
    "TESSARINE_GALERA_START$n='$run/node$n/start'" >>"$run/env.sh"
done
echo "start-galera-cluster: 3 nodes on 127.0.0.1:${client[1]},${client[2]},${client[3]}" >&2
