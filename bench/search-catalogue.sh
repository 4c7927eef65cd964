#!/usr/bin/env bash
# The search benchmark: how long the catalogue view waits for a search (the match count and the
# first page, through CatalogueSearch as the view calls it) and how long `tessarine find` takes,
# on an embedded SQLite catalogue of ROWS rows, against the sqlite3 shell running the same SQL in
# the same run, page cache warm. Target: count + first page within 200 ms over 10^5 rows.
#
# The catalogue is filled once per size and kept in the scratch folder: rows as a scan writes them
# (every column given, "" where a file has nothing), in folders of 100, each with six keywords of a
# vocabulary of 64, a caption of about 150 characters, title, byline, city, country, dates and
# sizes. Searched: "beach" (a common word, in about one row of five), "zeppelin" (rare: 10 rows),
# "qwxzyv" (nowhere), "beach sunset" (two words).

set -euo pipefail
shopt -s inherit_errexit

usage() {
  cat <<'USAGE'
usage: bench/search-catalogue.sh [-n ROWS] [-r ROUNDS] [-s SCRATCH] BUILD_DIR
  -n ROWS     rows in the catalogue (default 100000)
  -r ROUNDS   rounds, the median is printed (default 5)
  -s SCRATCH  folder for the catalogue (default: $TESSARINE_BENCH_DIR, else ~/.cache/tessarine-bench)
  BUILD_DIR   a build with -DTESSARINE_BUILD_BENCH=ON (tessarine and search_bench), best Release
USAGE
}

rows=100000 rounds=5
scratch=${TESSARINE_BENCH_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tessarine-bench}
while getopts n:r:s:h option; do
  case $option in
    n) rows=$OPTARG ;;
    r) rounds=$OPTARG ;;
    s) scratch=$OPTARG ;;
    h) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -eq 1 ] || { usage >&2; exit 2; }
[[ $rows =~ ^[1-9][0-9]*$ && $rounds =~ ^[1-9][0-9]*$ ]] || { usage >&2; exit 2; }
tessarine=$1/src/cli/tessarine
bench=$1/bench/search_bench
for program in "$tessarine" "$bench"; do [ -x "$program" ] || { echo "not built: $program" >&2; exit 2; }; done
command -v sqlite3 >/dev/null || { echo "the sqlite3 shell is needed (package sqlite3)" >&2; exit 2; }

dir=$scratch/search-$rows
ini="$dir/Tessarine PRO.ini"
db=$dir/catalogue.sqlite

fill() {
  rm -rf "$dir"
  mkdir -p "$dir"
  printf '[ODBC]\nDriver=SQLite3\nDatabase=%s\n' "$db" >"$dir/catalogue.dsn"
  printf '[Connection]\nDSN=%s\nFileDSN=1\n[Database]\nDBMS=3\nFolders=Folders\nImages=Images\n' \
    "$dir/catalogue.dsn" >"$ini"
  "$tessarine" db create --folders --images --yes --settings "$ini" >/dev/null
  # One expression per column, in table order; "" for the columns a typical file leaves empty.
  local select=
  for column in $(sqlite3 "$db" "select name from pragma_table_info('Images');"); do
    case $column in
      Folder) e="'/home/ann/Pictures/' || (2010 + n / 10000) || '/' || printf('%05d', n / 100) || ' shoot/'" ;;
      FileName) e="printf('IMG_%06d.JPG', n)" ;;
      ModifyTime) e="20240101120000000 + n" ;;
      ObjectName) e="(select w from words where id = n * 7 % 64) || ' ' || (select w from words where id = n * 11 % 64)" ;;
      Keywords) e="(select group_concat(w, '; ') from words where id in (n % 64, n * 3 % 64, n * 7 % 64, n * 13 % 64, n * 29 % 64, n * 41 % 64))" ;;
      Caption) e="'A ' || (select w from words where id = n * 5 % 64) || ' seen from the ' || (select w from words where id = n * 17 % 64) || ' on a ' || (select w from words where id = n * 19 % 64) || ' day, with the ' || (select w from words where id = n * 23 % 64) || ' and the ' || (select w from words where id = n * 31 % 64) || ' behind'|| case when n % 5 = 0 then ' at the beach' else '' end || case when n % 10007 = 0 then ', a zeppelin overhead' else '' end || '.'" ;;
      Byline) e="'Photographer ' || (n % 20)" ;;
      City) e="'City ' || (n % 50)" ;;
      Country) e="'Country ' || (n % 12)" ;;
      CreatedDate) e="printf('%04d-%02d-%02d', 2010 + n / 10000, 1 + n % 12, 1 + n % 28)" ;;
      CreatedTime) e="'12:00:00+01:00'" ;;
      Copyright) e="'(c) Photographer ' || (n % 20)" ;;
      Credit | Source) e="'Agency'" ;;
      Headline) e="'Headline ' || n" ;;
      CoreCiEmailWork) e="'ann@example.com'" ;;
      FileCreationDate | FileLastWriteDate) e="'2024-01-01'" ;;
      FileCreationTime | FileLastWriteTime) e="'12:00:00'" ;;
      FileSize) e="2100000 + n % 1000" ;;
      SupportIPTC) e="'True'" ;;
      Width) e="'4000'" ;;
      Height) e="'3000'" ;;
      Checked) e="'0'" ;;
      *) e="''" ;;
    esac
    select+="${select:+, }$e"
  done
  local words="beach sunset mountain river forest city street portrait family wedding dog cat bird flower tree
    snow rain winter summer spring autumn night morning evening lake sea boat car train bridge church market
    festival concert football garden park museum castle village harbour island desert cloud storm lightning
    rainbow moon star sky road path field farm horse cow sheep bicycle child friend canyon waterfall glacier lighthouse"
  local values= id=0
  for w in $words; do values+="${values:+,}($id,'$w')"; id=$((id + 1)); done
  [ $id -eq 64 ] || { echo "the vocabulary needs 64 words, not $id" >&2; exit 1; }
  sqlite3 "$db" <<SQL
create temp table words(id integer primary key, w text);
insert into words values $values;
begin;
with recursive r(n) as (select 0 union all select n + 1 from r where n + 1 < $rows)
insert into Images select $select from r;
commit;
SQL
  touch "$dir/filled"
}

[ -e "$dir/filled" ] || { echo "filling $rows rows into $db ..." >&2; fill; }

# The statements the search sends to SQLite (columns of the view with no custom column bound; its
# LIKE ignores ASCII case by itself), with the word pasted in: a hand-written query in the shell.
searched="Keywords ObjectName Caption Byline City Country"
shown="Folder,FileName,ObjectName,Headline,Caption,Keywords,Byline,City,Country,CreatedDate,Width,Height,Copyright"
where_of() {
  local where= word condition
  for word in $1; do
    condition=
    for column in $searched; do condition+="${condition:+ or }$column like '%$word%' escape '!'"; done
    where+="${where:+ and }($condition)"
  done
  echo "$where"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
time_ms() { # command...: the median wall time of the rounds, in ms
  local times=() start
  for ((round = 0; round < rounds; round++)); do
    start=$(now_ms)
    "$@" >/dev/null
    times+=($(($(now_ms) - start)))
  done
  printf '%s\n' "${times[@]}" | median
}
find_quiet() { "$tessarine" find $1 -s "$ini" || [ $? -eq 1 ]; }

searches=("beach" "zeppelin" "qwxzyv" "beach sunset")
"$tessarine" find qwxzyv -s "$ini" >/dev/null || true  # warm the page cache
sqlite3 "$db" "select count(*) from Images;" >/dev/null
view=$("$bench" "$ini" "$rounds" 100 "${searches[@]}")

printf '%s rows, median of %s rounds, ms\n' "$rows" "$rounds"
printf '%-14s %8s %8s %8s %8s %10s %7s %10s\n' search matches count page view sqlite3 ratio "find(all)"
for search in "${searches[@]}"; do
  where=$(where_of "$search")
  peer=$(time_ms sqlite3 "$db" "select count(*) from Images where $where; select $shown from Images where $where order by Folder asc, FileName asc limit 100 offset 0;")
  all=$(time_ms find_quiet "$search")
  line=$(grep -F "$search"$'\t' <<<"$view" | head -n 1)
  IFS=$'\t' read -r _ matches count page total <<<"$line"
  ratio=$(awk -v a="$total" -v b="$peer" 'BEGIN { printf "%.2fx", (b > 0 ? a / b : 0) }')
  printf '%-14s %8s %8s %8s %8s %10s %7s %10s\n' "$search" "$matches" "$count" "$page" "$total" "$peer" "$ratio" "$all"
done
echo "view = CatalogueSearch count + first page of 100 in one process; sqlite3 = the same SQL in the shell (process"
echo "start included); ratio = view / sqlite3; find(all) = tessarine find printing every match, process start included"
