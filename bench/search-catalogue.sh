#!/usr/bin/env bash
# The search benchmark: how long the catalogue view waits for an accent-blind search (the match
# count and the first page of 100, through CatalogueSearch as the view calls it, in search_bench),
# on SQLite, PostgreSQL and MariaDB catalogues of 10^5 rows (and 10^6 with -m), against each
# database's own client (sqlite3, psql, mariadb) running, in the same run, the plain accent-sensitive
# LIKE statements a catalogue without the words table is searched with. Targets: the view's wait
# within 0.2 s over 10^5 rows, within 1 s over 10^6.
#
# Each catalogue is made by `tessarine db create` (the images table with its words table) and filled
# in bulk with SQL, not by scanning: rows in folders of 100, each with six keywords of a vocabulary of
# 64, a caption of about 150 characters, title, byline, city (one in 50 is "Reykjavík"), country,
# dates and sizes; the words table holds each row's words folded as the scan folds them (the
# vocabulary is ASCII but for its cities, whose folded forms are given). Searched: "beach" (a common
# word, in one row of five), "reykjavik" (written without its accent: 2 % of the rows), "zeppelin"
# (rare: 10 rows in 10^5), "qwxzyv" (nowhere), "beach sunset" (two words). PostgreSQL and MariaDB
# run from scripts/start-test-databases.sh in the scratch folder, stopped at the end.

set -euo pipefail
shopt -s inherit_errexit

usage() {
  cat <<'USAGE'
usage: bench/search-catalogue.sh [-m] [-r ROUNDS] [-d DATABASES] [-s SCRATCH] BUILD_DIR
  -m            also 10^6 rows (default: 10^5 only)
  -r ROUNDS     rounds, the median is printed (default 5)
  -d DATABASES  among "sqlite postgresql mariadb" (default: all three)
  -s SCRATCH    folder for the catalogues (default: $TESSARINE_BENCH_DIR, else ~/.cache/tessarine-bench)
  BUILD_DIR     a build with -DTESSARINE_BUILD_BENCH=ON (tessarine and search_bench), best Release
USAGE
}

sizes=(100000) rounds=5 databases="sqlite postgresql mariadb"
scratch=${TESSARINE_BENCH_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tessarine-bench}
while getopts mr:d:s:h option; do
  case $option in
    m) sizes=(100000 1000000) ;;
    r) rounds=$OPTARG ;;
    d) databases=$OPTARG ;;
    s) scratch=$OPTARG ;;
    h) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -eq 1 ] || { usage >&2; exit 2; }
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { usage >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
tessarine=$1/src/cli/tessarine
bench=$1/bench/search_bench
for program in "$tessarine" "$bench"; do [ -x "$program" ] || { echo "not built: $program" >&2; exit 2; }; done
for client in sqlite3 psql mariadb; do
  command -v $client >/dev/null || { echo "the client $client is needed" >&2; exit 2; }
done

dir=$scratch/search
mkdir -p "$dir"
db_dir=$dir/databases
servers=0
cleanup() { [ "$servers" = 0 ] || "$repo/scripts/stop-test-databases.sh" "$db_dir" >/dev/null 2>&1 || true; }
trap cleanup EXIT
if [[ $databases == *postgresql* || $databases == *mariadb* ]]; then
  servers=1
  "$repo/scripts/start-test-databases.sh" "$db_dir" 2>"$dir/databases.log" || { cat "$dir/databases.log" >&2; exit 1; }
  # shellcheck source=/dev/null
  source "$db_dir/env.sh"
fi
port_of() { awk -v s="[$1]" '$0 == s { on = 1; next } /^\[/ { on = 0 } on && /^Port=/ { sub("Port=", ""); print }' "$ODBCINI"; }

# The rows' SQL, once per size: multi-row inserts into Images and Images_words (the names the
# statements are given are replaced per database), in one transaction each.
generate() { # ROWS FILE
  LC_ALL=C awk -v rows="$1" '
    BEGIN {
      n = split("beach sunset mountain river forest city street portrait family wedding dog cat bird flower tree " \
        "snow rain winter summer spring autumn night morning evening lake sea boat car train bridge church market " \
        "festival concert football garden park museum castle village harbour island desert cloud storm lightning " \
        "rainbow moon star sky road path field farm horse cow sheep bicycle child friend canyon waterfall glacier " \
        "lighthouse", w, " ")
      if (n != 64) { print "the vocabulary needs 64 words" > "/dev/stderr"; exit 1 }
      for (i = 0; i < 50; i++) { city[i] = "City " i; folded[i] = "city " i }
      city[7] = "Reykjav\303\255k"; folded[7] = "reykjavik"
      city[8] = "Z\303\274rich"; folded[8] = "zurich"
      city[9] = "Stra\303\237burg"; folded[9] = "strassburg"
      columns = "Folder,FileName,ModifyTime,ObjectName,Keywords,Caption,Byline,City,Country,CreatedDate,CreatedTime," \
        "Copyright,Credit,Source,Headline,FileCreationDate,FileCreationTime,FileLastWriteDate,FileLastWriteTime," \
        "FileSize,SupportIPTC,Width,Height,Checked"
      print "begin;" > "images.sql"; print "begin;" > "words.sql"
      for (r = 0; r < rows; r++) {
        folder = sprintf("/home/ann/Pictures/%d/%05d shoot/", 2010 + int(r / 10000), int(r / 100))
        file = sprintf("IMG_%06d.JPG", r)
        title = w[r * 7 % 64 + 1] " " w[r * 11 % 64 + 1]
        keywords = w[r % 64 + 1] "; " w[r * 3 % 64 + 1] "; " w[r * 7 % 64 + 1] "; " w[r * 13 % 64 + 1] "; " \
          w[r * 29 % 64 + 1] "; " w[r * 41 % 64 + 1]
        caption = "A " w[r * 5 % 64 + 1] " seen from the " w[r * 17 % 64 + 1] " on a " w[r * 19 % 64 + 1] \
          " day, with the " w[r * 23 % 64 + 1] " and the " w[r * 31 % 64 + 1] " behind" \
          (r % 5 == 0 ? " at the beach" : "") (r % 10007 == 0 ? ", a zeppelin overhead" : "") "."
        byline = "Photographer " (r % 20)
        country = "Country " (r % 12)
        row = sprintf("('\''%s'\'','\''%s'\'',20240101%09d,'\''%s'\'','\''%s'\'','\''%s'\'','\''%s'\'','\''%s'\'','\''%s'\''," \
          "'\''%04d-%02d-%02d'\'','\''12:00:00+01:00'\'','\''(c) %s'\'','\''Agency'\'','\''Agency'\''," \
          "'\''Headline %d'\'','\''2024-01-01'\'','\''12:00:00'\'','\''2024-01-01'\'','\''12:00:00'\'',%d," \
          "'\''True'\'','\''4000'\'','\''3000'\'','\''0'\'')", folder, file, r, title, keywords,
          caption, byline, city[r % 50], country, 2010 + int(r / 10000), 1 + r % 12, 1 + r % 28, byline, r,
          2100000 + r % 1000)
        # The words as the scan keeps them: the searched columns folded, each piece between blanks once.
        text = tolower(keywords " " title " " caption " " byline " " folded[r % 50] " " country)
        split(text, pieces, " ")
        delete seen
        words = ""
        for (p = 1; p in pieces; p++) {
          if (pieces[p] == "" || pieces[p] in seen) continue
          seen[pieces[p]] = 1
          words = words (words == "" ? "" : " ") pieces[p]
        }
        first = r % 500 == 0
        if (first && r > 0) { print ";" > "images.sql"; print ";" > "words.sql" }
        printf "%s%s", (first ? "insert into Images (" columns ") values " : ","), row > "images.sql"
        printf "%s('\''%s'\'','\''%s'\'','\''%s'\'')", (first ? "insert into Images_words values " : ","), folder, file,
          words > "words.sql"
      }
      print ";\ncommit;" > "images.sql"; print ";\ncommit;" > "words.sql"
    }'
}

# "sqlite", "postgresql" or "mariadb": the client's command for SQL text on its standard input.
client() {
  case $1 in
    sqlite) sqlite3 "$dir/catalogue.sqlite" ;;
    postgresql) PGPASSWORD=$TESSARINE_PGSQL_PASSWORD psql -X -q -o /dev/null -v ON_ERROR_STOP=1 -h 127.0.0.1 \
      -p "$(port_of "$TESSARINE_PGSQL_DSN")" -U "$TESSARINE_PGSQL_LOGIN" tessarine ;;
    mariadb) mariadb -h 127.0.0.1 -P "$(port_of "$TESSARINE_MARIADB_DSN")" -u "$TESSARINE_MARIADB_LOGIN" \
      -p"$TESSARINE_MARIADB_PASSWORD" tessarine ;;
  esac
}

settings() { # DATABASE: the settings file of its catalogue
  local ini="$dir/$1.ini"
  case $1 in
    sqlite)
      printf '[ODBC]\nDriver=SQLite3\nDatabase=%s\n' "$dir/catalogue.sqlite" >"$dir/catalogue.dsn"
      printf '[Connection]\nDSN=%s\nFileDSN=1\n[Database]\nDBMS=3\n' "$dir/catalogue.dsn" >"$ini" ;;
    postgresql) printf '[Connection]\nDSN=%s\nFileDSN=1\nLogin=%s\nPassword=%s\n[Database]\nDBMS=0\n' \
      "$TESSARINE_PGSQL_FILEDSN" "$TESSARINE_PGSQL_LOGIN" "$TESSARINE_PGSQL_PASSWORD" >"$ini" ;;
    mariadb) printf '[Connection]\nDSN=%s\nFileDSN=1\nLogin=%s\nPassword=%s\n[Database]\nDBMS=0\n' \
      "$TESSARINE_MARIADB_FILEDSN" "$TESSARINE_MARIADB_LOGIN" "$TESSARINE_MARIADB_PASSWORD" >"$ini" ;;
  esac
  printf 'Folders=BenchFolders\nImages=BenchImages\n' >>"$ini"
  echo "$ini"
}

# The statements a catalogue without the words table is searched with, the word pasted in: the
# count and the first page, as the client runs them.
searched="Keywords ObjectName Caption Byline City Country"
shown="Folder,FileName,ObjectName,Headline,Caption,Keywords,Byline,City,Country,CreatedDate,Width,Height,Copyright"
plain_search() { # DATABASE WORDS
  local where= word condition column
  for word in $2; do
    condition=
    for column in $searched; do
      if [ "$1" = sqlite ]; then
        condition+="${condition:+ or }$column like '%$word%' escape '!'"
      else
        condition+="${condition:+ or }lower($column) like lower('%$word%') escape '!'"
      fi
    done
    where+="${where:+ and }($condition)"
  done
  echo "select count(*) from BenchImages where $where;"
  echo "select $shown from BenchImages where $where order by Folder asc, FileName asc limit 100 offset 0;"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
time_ms() { # DATABASE SQL: the median wall time of the rounds, in ms, client start included
  local times=() start
  for ((round = 0; round < rounds; round++)); do
    start=$(now_ms)
    client "$1" <<<"$2" >/dev/null
    times+=($(($(now_ms) - start)))
  done
  printf '%s\n' "${times[@]}" | median
}

searches=("beach" "reykjavik" "zeppelin" "qwxzyv" "beach sunset")
printf '%-10s %8s %-13s %8s %8s %8s %8s %8s %7s\n' database rows search matches count page view client ratio
for rows in "${sizes[@]}"; do
  data=$dir/rows-$rows
  if [ ! -e "$data/done" ]; then
    echo "generating $rows rows ..." >&2
    mkdir -p "$data"
    (cd "$data" && generate "$rows") && touch "$data/done"
  fi
  for database in $databases; do
    ini=$(settings "$database")
    [ "$database" != sqlite ] || rm -f "$dir/catalogue.sqlite"
    "$tessarine" db create --folders --images --yes --settings "$ini" >/dev/null
    echo "filling $rows rows into $database ..." >&2
    for table in images words; do
      sed 's/insert into Images/insert into BenchImages/' "$data/$table.sql" | client "$database" >/dev/null
    done
    # The statistics the server's own upkeep gathers soon after a bulk fill (PostgreSQL's autovacuum
    # within a minute of it), which its planner needs to walk the images table for a common word.
    case $database in
      postgresql) client "$database" <<<"analyze BenchImages; analyze BenchImages_words;" ;;
      mariadb) client "$database" <<<"analyze table BenchImages, BenchImages_words;" >/dev/null ;;
    esac
    client "$database" <<<"select count(*) from BenchImages;" >/dev/null  # warm the cache
    view=$("$bench" "$ini" "$rounds" 100 "${searches[@]}")
    for search in "${searches[@]}"; do
      peer=$(time_ms "$database" "$(plain_search "$database" "$search")")
      IFS=$'\t' read -r _ matches count page total <<<"$(grep -F "$search"$'\t' <<<"$view" | head -n 1)"
      ratio=$(awk -v a="$total" -v b="$peer" 'BEGIN { printf "%.2fx", (b > 0 ? a / b : 0) }')
      printf '%-10s %8s %-13s %8s %8s %8s %8s %8s %7s\n' "$database" "$rows" "$search" "$matches" "$count" "$page" \
        "$total" "$peer" "$ratio"
    done
  done
done
echo "ms, median of $rounds rounds. view = CatalogueSearch's count + first page of 100, accent-blind (words table), in"
echo "one process; client = the database's client running the plain accent-sensitive LIKE count + first page (client"
echo "start included); ratio = view / client."
