#!/usr/bin/env bash
# Starts throwaway PostgreSQL and MariaDB servers on loopback for the tests: data folders under
# RUN_DIR, no systemd, free ports, a database "tessarine" and a user "tessarine" on each, user
# data sources in RUN_DIR/odbc.ini and file data sources beside it. A second user,
# "tessarine_punct", has a password holding the connect string's own punctuation (; { } =).
# Writes RUN_DIR/env.sh, which exports ODBCINI, TESSARINE_{PGSQL,MARIADB}_{DSN,FILEDSN,LOGIN,PASSWORD}
# and TESSARINE_{PGSQL,MARIADB}_PUNCT_{LOGIN,PASSWORD} for the tests, and
# TESSARINE_{PGSQL,MARIADB}_PIDFILE, which names the server process a test stops to see what a
# silent server does.
# Run as root, the servers run as the unprivileged postgres and mysql users.
# A server that cannot start is left out of env.sh (its tests then skip), unless
# TESSARINE_REQUIRE_SERVERS=1, where it is an error.
# Usage: scripts/start-test-databases.sh RUN_DIR      stop with scripts/stop-test-databases.sh RUN_DIR
set -uo pipefail
run=${1:?usage: start-test-databases.sh RUN_DIR}
mkdir -p "$run"
run=$(cd "$run" && pwd)
chmod 755 "$run"  # the server users must reach their folders
password="Tessarine-test-7"
punct_password="semi;colon}brace{eq=7"
require=${TESSARINE_REQUIRE_SERVERS:-0}
env_file="$run/env.sh"
odbc_ini="$run/odbc.ini"
: >"$odbc_ini"
{
  echo "export ODBCINI='$odbc_ini'"
} >"$env_file"

is_root() { [ "$(id -u)" -eq 0 ]; }
# Runs a command as the given system user when we are root, else as ourselves.
as_user() {
  local user=$1
  shift
  if is_root; then runuser -u "$user" -- "$@"; else "$@"; fi
}
own() { if is_root; then chown -R "$1" "$2"; fi; }
free_port() {
  local port=$1
  while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
  echo "$port"
}
fail() {
  echo "start-test-databases: $*" >&2
  [ "$require" = "1" ] && exit 1
  return 1
}

start_postgresql() {
  local bin
  bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -x "$bin/initdb" ] || { fail "PostgreSQL is not installed (no initdb)"; return 1; }
  # One folder owned by the server user holds its data, socket and log.
  local home="$run/pg" data="$run/pg/data" sock="$run/pg/sock" port
  port=$(free_port 54329)
  mkdir -p "$data" "$sock"
  own postgres "$home"
  as_user postgres "$bin/initdb" -D "$data" -U postgres -E UTF8 --no-locale --auth-local=trust \
    --auth-host=scram-sha-256 >"$run/pg-init.log" 2>&1 || { fail "initdb failed, see $run/pg-init.log"; return 1; }
  as_user postgres "$bin/pg_ctl" -D "$data" -l "$home/pg.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $sock -c fsync=off" start >/dev/null ||
    { fail "PostgreSQL did not start, see $home/pg.log"; return 1; }
  as_user postgres "$bin/psql" -h "$sock" -p "$port" -U postgres -d postgres -q -v ON_ERROR_STOP=1 \
    -c "create user tessarine password '$password';" \
    -c "create user tessarine_punct password '$punct_password';" \
    -c "create database tessarine owner tessarine encoding 'UTF8' template template0;" >/dev/null ||
    { fail "could not create the PostgreSQL database"; return 1; }
  # The ANSI driver passes UTF-8 text through byte for byte.
  cat >>"$odbc_ini" <<INI
[TessarinePg]
Driver=PostgreSQL ANSI
Servername=127.0.0.1
Port=$port
Database=tessarine
ConnSettings=set client_encoding to 'UTF8'
# Debian's driver entry turns the communication log on: one file per process in /tmp.
CommLog=0
Debug=0

INI
  cat >"$run/postgresql.dsn" <<INI
[ODBC]
DRIVER=PostgreSQL ANSI
SERVERNAME=127.0.0.1
PORT=$port
DATABASE=tessarine
CONNSETTINGS=set client_encoding to 'UTF8'
COMMLOG=0
DEBUG=0
INI
  cat >>"$env_file" <<ENV
export TESSARINE_PGSQL_DSN=TessarinePg TESSARINE_PGSQL_FILEDSN='$run/postgresql.dsn'
export TESSARINE_PGSQL_LOGIN=tessarine TESSARINE_PGSQL_PASSWORD='$password'
export TESSARINE_PGSQL_PUNCT_LOGIN=tessarine_punct TESSARINE_PGSQL_PUNCT_PASSWORD='$punct_password'
export TESSARINE_PGSQL_PIDFILE='$data/postmaster.pid'
ENV
  # As root, a tablespace on a 512 KB disk of its own, for the tests of a catalogue whose disk
  # fills up (stop-test-databases.sh unmounts it).
  if is_root && mkdir -p "$run/pg-small" && mount -t tmpfs -o size=512k,mode=700 none "$run/pg-small" &&
    chown postgres "$run/pg-small" &&
    as_user postgres "$bin/psql" -h "$sock" -p "$port" -U postgres -d tessarine -q -v ON_ERROR_STOP=1 \
      -c "create tablespace tessarine_small owner tessarine location '$run/pg-small';" >/dev/null; then
    echo "export TESSARINE_PGSQL_SMALL_TABLESPACE=tessarine_small" >>"$env_file"
  fi
  echo "start-test-databases: PostgreSQL on 127.0.0.1:$port" >&2
}

start_mariadb() {
  command -v mariadbd >/dev/null || [ -x /usr/sbin/mariadbd ] || { fail "MariaDB is not installed"; return 1; }
  local server=/usr/sbin/mariadbd home="$run/mariadb" data="$run/mariadb/data" sock="$run/mariadb/sock" port
  local user_opt=()
  port=$(free_port 33069)
  mkdir -p "$data"
  if is_root; then own mysql "$home"; user_opt=(--user=mysql); fi
  mariadb-install-db --no-defaults --datadir="$data" "${user_opt[@]}" --auth-root-authentication-method=normal \
    --skip-test-db >"$run/mariadb-init.log" 2>&1 || { fail "mariadb-install-db failed, see $run/mariadb-init.log"; return 1; }
  "$server" --no-defaults --datadir="$data" "${user_opt[@]}" --socket="$sock" --port="$port" \
    --bind-address=127.0.0.1 --pid-file="$home/pid" --log-error="$home/server.log" \
    --character-set-server=utf8mb4 --collation-server=utf8mb4_bin --skip-log-bin \
    --innodb-flush-log-at-trx-commit=0 >/dev/null 2>&1 &
  local i
  for i in $(seq 1 120); do
    mariadb-admin --no-defaults --socket="$sock" -uroot ping >/dev/null 2>&1 && break
    sleep 0.5
  done
  mariadb-admin --no-defaults --socket="$sock" -uroot ping >/dev/null 2>&1 ||
    { fail "MariaDB did not start, see $home/server.log"; return 1; }
  mariadb --no-defaults --socket="$sock" -uroot -e "
    create database tessarine character set utf8mb4 collate utf8mb4_bin;
    create user 'tessarine'@'127.0.0.1' identified by '$password';
    create user 'tessarine'@'localhost' identified by '$password';
    grant all on tessarine.* to 'tessarine'@'127.0.0.1';
    grant all on tessarine.* to 'tessarine'@'localhost';
    create user 'tessarine_punct'@'127.0.0.1' identified by '$punct_password';
    create user 'tessarine_punct'@'localhost' identified by '$punct_password';
    grant all on tessarine.* to 'tessarine_punct'@'127.0.0.1';
    grant all on tessarine.* to 'tessarine_punct'@'localhost';" ||
    { fail "could not create the MariaDB database"; return 1; }
  cat >>"$odbc_ini" <<INI
[TessarineMaria]
Driver=MariaDB Unicode
Server=127.0.0.1
Port=$port
Database=tessarine
CHARSET=utf8mb4

INI
  cat >"$run/mariadb.dsn" <<INI
[ODBC]
DRIVER=MariaDB Unicode
SERVER=127.0.0.1
PORT=$port
DATABASE=tessarine
CHARSET=utf8mb4
INI
  cat >>"$env_file" <<ENV
export TESSARINE_MARIADB_DSN=TessarineMaria TESSARINE_MARIADB_FILEDSN='$run/mariadb.dsn'
export TESSARINE_MARIADB_LOGIN=tessarine TESSARINE_MARIADB_PASSWORD='$password'
export TESSARINE_MARIADB_PUNCT_LOGIN=tessarine_punct TESSARINE_MARIADB_PUNCT_PASSWORD='$punct_password'
export TESSARINE_MARIADB_PIDFILE='$home/pid'
ENV
  echo "start-test-databases: MariaDB on 127.0.0.1:$port" >&2
}

status=0
start_postgresql || status=$?
start_mariadb || status=$?
if [ "$require" = "1" ]; then exit "$status"; fi
exit 0
