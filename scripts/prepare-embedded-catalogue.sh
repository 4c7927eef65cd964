#!/usr/bin/env bash
# Prepares the embedded SQLite catalogue in a data folder, once: the database with its two tables,
# a file data source for the SQLite3 ODBC driver and a settings file that selects both, so that the
# first window shows an empty, working folder list. What already exists is left as it is; the
# tables are created only in a database that is still empty (no tables can be lost). Nothing is
# written through a symbolic link: a link at the database's name stops the preparation, and a new
# file is always a new name (noclobber opens it with O_EXCL).
# Usage: scripts/prepare-embedded-catalogue.sh DATA_FOLDER TESSARINE_COMMAND
set -euo pipefail
set -o noclobber
data=$1
tool=$2
database=$data/catalogue.sqlite

# Nothing is there, not even a link that leads nowhere.
absent() { [ ! -e "$1" ] && [ ! -L "$1" ]; }

mkdir -p "$data"
if [ -L "$database" ]; then
  echo "run: $database is a link: no catalogue is prepared there" >&2
  exit 1
fi
if absent "$database"; then
  # Made here rather than by the driver: readable by all less the umask, never more than its folder.
  folder_mode=$(stat -c %a "$data")
  mode=$(( 0644 & 0$folder_mode & ~0$(umask) ))
  (umask "$(printf '%o' $(( 0777 & ~mode )))" && : >"$database")
fi
if absent "$data/catalogue.dsn"; then
  printf '[ODBC]\nDriver=SQLite3\nDatabase=%s\n' "$database" >"$data/catalogue.dsn"
  echo "run: created the data source $data/catalogue.dsn"
fi
if absent "$data/Tessarine PRO.ini"; then
  # It will hold the database password once one is typed: the owner's only, as the program makes it.
  (umask 077 && printf '[Connection]\nDSN=%s\nFileDSN=1\nLogin=\nPassword=\n[Database]\nDBMS=3\n' \
    "$data/catalogue.dsn" >"$data/Tessarine PRO.ini")
  echo "run: created the settings file $data/Tessarine PRO.ini"
fi
# An empty file (or none) is a database without tables.
if [ ! -s "$database" ]; then
  TESSARINE_HOME="$data" "$tool" db create --yes >/dev/null
  echo "run: created the tables of the catalogue $database"
fi
