#!/usr/bin/env bash
# Prepares the embedded SQLite catalogue in a data folder, once: the database with its two tables,
# a file data source for the SQLite3 ODBC driver and a settings file that selects both, so that the
# first window shows an empty, working folder list. What already exists is left as it is; the
# tables are created only in a database that is still empty (no tables can be lost).
# Usage: scripts/prepare-embedded-catalogue.sh DATA_FOLDER TESSARINE_COMMAND
set -euo pipefail
data=$1
tool=$2

mkdir -p "$data"
if [ ! -e "$data/catalogue.dsn" ]; then
  printf '[ODBC]\nDriver=SQLite3\nDatabase=%s\n' "$data/catalogue.sqlite" >"$data/catalogue.dsn"
  echo "run: created the data source $data/catalogue.dsn"
fi
if [ ! -e "$data/Tessarine PRO.ini" ]; then
  # It will hold the database password once one is typed: the owner's only, as the program makes it.
  (umask 077 && printf '[Connection]\nDSN=%s\nFileDSN=1\nLogin=\nPassword=\n[Database]\nDBMS=3\n' \
    "$data/catalogue.dsn" >"$data/Tessarine PRO.ini")
  echo "run: created the settings file $data/Tessarine PRO.ini"
fi
# An empty file (or none) is a database without tables.
if [ ! -s "$data/catalogue.sqlite" ]; then
  TESSARINE_HOME="$data" "$tool" db create --yes >/dev/null
  echo "run: created the tables of the catalogue $data/catalogue.sqlite"
fi
