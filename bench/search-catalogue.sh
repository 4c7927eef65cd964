#!/usr/bin/env bash
# The search benchmark: how long the catalogue view waits for a search (the match count and the first
# page of 100, through CatalogueSearch as the view calls it, in search_bench), on SQLite, PostgreSQL
# and MariaDB catalogues of 10^5 rows (and 10^6 with -m), against each database's own client (sqlite3,
# psql, mariadb) running, in the same run, the plain statements a user of that client would write for
# the same count and page. Targets: the view's wait within 0.2 s over 10^5 rows, within 1 s over 10^6.
#
# Each catalogue is made by `tessarine db create` (the images table with its words table and its
# companion tables of facts, keywords and content hashes) and filled in bulk with SQL, not by
# scanning: rows in folders of 100, each with six keywords of a vocabulary of 64, a caption of about
# 150 characters, title, byline, city (one in 50 is "Reykjavík"), country, dates and sizes; the words
# table holds each row's words folded as the scan folds them (the vocabulary is ASCII but for its
# cities, whose folded forms are given). Beside them: facts for nine rows in ten (taken on a day of
# 2010 to 2024, one of seven cameras with its lenses, a position for most: one row in 16 within
# about 11 km of Oslo's centre, the others anywhere on the earth; two in a thousand made by a
# generator, trainedAlgorithmicMedia, and without camera or position), 3 to 8 keyword rows for 49
# files in 50 (a place Places|<country>|<city> at its three levels, Oslo for the rows near it, and up
# to five flat keywords), and a content hash for every file, one in 200 a copy of a file in the folder
# before it (1 % of the files have a copy).
#
# Searched for words: "beach" (a common word, in one row of five), "reykjavik" (written without its
# accent: 2 % of the rows), "zeppelin" (rare: 10 rows in 10^5), "qwxzyv" (nowhere), "beach sunset"
# (two words); by the companion tables, as `tessarine find` and `tessarine audit` and the view's
# filters take them: one month taken, one camera model, 25 km around Oslo, a keyword's middle level
# (Places|Norway) and a leaf (Bergen), the digital source trainedAlgorithmicMedia, the files with
# copies, an audit for Byline, DateTaken and Keyword, and words with a range of years, the place and a
# keyword together (the table's legend gives each). The client's statements for these join the
# companion tables by hand. PostgreSQL and MariaDB run from scripts/start-test-databases.sh in the
# scratch folder, stopped at the end.

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

# The rows' SQL, once per size: multi-row inserts into Images, Images_words and the companion
# tables Images_facts, Images_keywords and Images_hashes (the names the statements are given are
# replaced per database), in one transaction each. The companions' values are drawn from awk's
# random numbers with a fixed seed.
generate() { # ROWS
  LC_ALL=C awk -v rows="$1" '
    function quoted(text) { return text == "" ? "NULL" : "'\''" text "'\''" }
    # One row of values for TABLE ("facts", "keywords", "hashes"): statements of 1000 rows each.
    function add(table, values) {
      if (added[table] % 1000 == 0) {
        if (added[table] > 0) print ";" > (table ".sql")
        printf "insert into Images_%s %s values ", table, head[table] > (table ".sql")
      } else {
        printf "," > (table ".sql")
      }
      printf "(%s)", values > (table ".sql")
      added[table]++
    }
    function key(folder, file) { return "'\''" folder "'\'','\''" file "'\''" }
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
      # The companions: cameras as "make|model|lens|lens", places as "country|city" (Oslo first,
      # where the cluster of positions lies), in the keywords table as Places|<country>|<city>.
      ncameras = split("Canon|Canon EOS R5|RF24-105mm F4 L IS USM|RF70-200mm F2.8 L IS USM;" \
        "Canon|Canon EOS 5D Mark IV|EF24-70mm f/2.8L II USM|EF100mm f/2.8L Macro IS USM;" \
        "NIKON CORPORATION|NIKON Z 6_2|NIKKOR Z 24-70mm f/4 S|NIKKOR Z 85mm f/1.8 S;" \
        "NIKON CORPORATION|NIKON D850|AF-S NIKKOR 24-70mm f/2.8E ED VR|AF-S NIKKOR 70-200mm f/2.8E FL ED VR;" \
        "SONY|ILCE-7M3|FE 24-105mm F4 G OSS|FE 35mm F1.8;" \
        "FUJIFILM|X-T4|XF16-55mmF2.8 R LM WR|XF56mmF1.2 R;" \
        "Apple|iPhone 13 Pro|iPhone 13 Pro back triple camera 5.7mm f/1.5|iPhone 13 Pro back triple camera 1.57mm f/1.8",
        cameras, ";")
      nplaces = split("Norway|Oslo;Norway|Bergen;Norway|Troms\303\270;Iceland|Reykjav\303\255k;Iceland|Akureyri;" \
        "France|Paris;France|Lyon;France|Nice;Italy|Rome;Italy|Venice;Italy|Florence;Japan|Tokyo;Japan|Kyoto;" \
        "Canada|Toronto;Canada|Vancouver;Kenya|Nairobi", places, ";")
      source = "http://cv.iptc.org/newscodes/digitalsourcetype/"
      head["facts"] = "(Folder,FileName,DateTaken,OffsetTaken,Make,Model,Lens,FocalLength,FNumber,ExposureTime,ISO," \
        "Orientation,Latitude,Longitude,DigitalSourceType)"
      head["keywords"] = "(Folder,FileName,Item,Keyword,Leaf,Depth)"
      head["hashes"] = "(Folder,FileName,ContentHash)"
      for (table in head) print "begin;" > (table ".sql")
      srand(20240101)
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

        # Facts for nine rows in ten; one in 16 is near Oslo, within about 11 km of its centre.
        near_oslo = rand() < 1 / 16
        if (rand() < 0.9) {
          split(cameras[1 + int(rand() * ncameras)], camera, "|")
          taken = sprintf("%04d-%02d-%02d %02d:%02d:%02d", 2010 + int(rand() * 15), 1 + int(rand() * 12),
            1 + int(rand() * 28), int(rand() * 24), int(rand() * 60), int(rand() * 60))
          latitude = longitude = ""
          if (near_oslo) {
            latitude = sprintf("%.6f", 59.9139 + (rand() - 0.5) * 0.2)
            longitude = sprintf("%.6f", 10.7522 + (rand() - 0.5) * 0.4)
          } else if (rand() < 0.7) {
            latitude = sprintf("%.6f", -60 + rand() * 130)
            longitude = sprintf("%.6f", -180 + rand() * 360)
          }
          # Two rows in a thousand made by a generator, four in ten saying they are camera captures.
          made = rand()
          digital = made < 0.002 ? source "trainedAlgorithmicMedia" : (made < 0.4 ? source "digitalCapture" : "")
          if (made < 0.002) camera[1] = camera[2] = camera[3] = camera[4] = latitude = longitude = ""
          add("facts", key(folder, file) "," quoted(taken) ",'\''+01:00'\''," quoted(camera[1]) "," \
            quoted(camera[2]) "," quoted(camera[3 + int(rand() * 2)]) "," (made < 0.002 ? "NULL,NULL,NULL,NULL" : \
            sprintf("%d,%.1f,%.6f,%d", 24 + int(rand() * 176), 2.8 + int(rand() * 6), 1 / (30 + int(rand() * 970)),
            100 * 2 ^ int(rand() * 6))) ",1," (latitude == "" ? "NULL,NULL" : latitude "," longitude) "," \
            quoted(digital))
        }
        # Keywords for 49 files in 50: the place at its three levels and up to five flat keywords.
        if (rand() < 0.98) {
          split(places[near_oslo ? 1 : 1 + int(rand() * nplaces)], place, "|")
          add("keywords", key(folder, file) ",0,'\''Places'\'','\''Places'\'',1")
          add("keywords", key(folder, file) ",1,'\''Places|" place[1] "'\'','\''" place[1] "'\'',2")
          add("keywords", key(folder, file) ",2,'\''Places|" place[1] "|" place[2] "'\'','\''" place[2] "'\'',3")
          flat = int(rand() * 6)
          for (k = 0; k < flat; k++) {
            add("keywords", key(folder, file) "," (3 + k) ",'\''" w[(r + 9 * k) % 64 + 1] "'\'','\''" \
              w[(r + 9 * k) % 64 + 1] "'\'',0")
          }
        }
        # Every file hashed; one in 200 a copy of a file in the folder before it.
        copy = r % 200 == 100 ? r - 100 : r
        add("hashes", key(folder, file) "," sprintf("'\''%08x%08x%08x%08x'\''", copy, (copy * 2654435761) % 4294967296,
          (copy * 40503 + 7) % 4294967296, (copy * 2246822519) % 4294967296))
      }
      print ";\ncommit;" > "images.sql"; print ";\ncommit;" > "words.sql"
      for (table in head) print ";\ncommit;" > (table ".sql")
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
shown_of_i="i.${shown//,/,i.}"  # the same of the images table named i
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

# The same for a search by the companion tables: the images rows (i) joined to their facts (f)
# where the search needs them, with the condition a user of the client would write by hand.
like() { # DATABASE COLUMN TEXT: the column holds the text, in ASCII case as LIKE takes it
  if [ "$1" = sqlite ]; then echo "$2 like '%$3%'"; else echo "lower($2) like lower('%$3%')"; fi
}
has_keyword() { # KEYWORD: a level or the leaf of one of the row's keywords
  echo "exists (select 1 from BenchImages_keywords k where k.Folder = i.Folder and k.FileName = i.FileName and" \
    "(k.Keyword = '$1' or k.Leaf = '$1'))"
}
near_oslo() { # KM: within a box around Oslo's centre, then within the circle on the plane
  awk -v lat=59.9139 -v lon=10.7522 -v km="$1" 'BEGIN {
    span = km / 111.32; scale = 111.32 * cos(lat * atan2(0, -1) / 180)
    printf "f.Latitude between %.9g and %.9g and f.Longitude between %.9g and %.9g and ", lat - span, lat + span,
      lon - km / scale, lon + km / scale
    printf "(f.Latitude - %s) * (f.Latitude - %s) * %.9g + (f.Longitude - %s) * (f.Longitude - %s) * %.9g <= %s",
      lat, lat, 111.32 * 111.32, lon, lon, scale * scale, km * km }'
}
plain_companion_search() { # DATABASE CASE
  local from="BenchImages i join BenchImages_facts f on f.Folder = i.Folder and f.FileName = i.FileName" where
  case $2 in
    "taken month") where="f.DateTaken >= '2017-03-01' and f.DateTaken < '2017-04-01'" ;;
    camera) where="($(like "$1" f.Make D850) or $(like "$1" f.Model D850) or $(like "$1" f.Lens D850))" ;;
    "near 25 km") where=$(near_oslo 25) ;;
    "keyword level") from="BenchImages i" where=$(has_keyword "Places|Norway") ;;
    "keyword leaf") from="BenchImages i" where=$(has_keyword Bergen) ;;
    "AI source") where=$(like "$1" f.DigitalSourceType trainedAlgorithmicMedia) ;;
    copies)
      from="BenchImages i join BenchImages_hashes h on h.Folder = i.Folder and h.FileName = i.FileName"
      where="h.ContentHash in (select ContentHash from BenchImages_hashes group by ContentHash having count(*) > 1)" ;;
    "audit 3")
      from="BenchImages i left join BenchImages_facts f on f.Folder = i.Folder and f.FileName = i.FileName"
      where="coalesce(trim(i.Byline), '') = '' or coalesce(trim(f.DateTaken), '') = '' or not exists (select 1 from"
      where+=" BenchImages_keywords k where k.Folder = i.Folder and k.FileName = i.FileName)" ;;
    combined)
      local column
      where=
      for column in $searched; do where+="${where:+ or }$(like "$1" "i.$column" beach)"; done
      where="($where)"
      where+=" and f.DateTaken >= '2014-01-01' and f.DateTaken < '2020-01-01' and $(near_oslo 25)"
      where+=" and $(has_keyword "Places|Norway")" ;;
  esac
  echo "select count(*) from $from where $where;"
  echo "select ${shown_of_i} from $from where $where order by i.Folder asc, i.FileName asc limit 100 offset 0;"
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
# The searches by the companion tables: a name for the table, and the search as search_bench takes it.
companion_cases=("taken month" "camera" "near 25 km" "keyword level" "keyword leaf" "AI source" "copies" "audit 3"
  "combined")
declare -A companion_search=(
  ["taken month"]="--taken-from=2017-03-01 --taken-to=2017-03-31"
  [camera]="--camera=D850"
  ["near 25 km"]="--near=59.9139,10.7522,25"
  ["keyword level"]="--keyword=Places|Norway"
  ["keyword leaf"]="--keyword=Bergen"
  ["AI source"]="--digital-source=trainedAlgorithmicMedia"
  [copies]="--copies"
  ["audit 3"]="--require=Byline,DateTaken,Keyword"
  [combined]="beach --taken-from=2014-01-01 --taken-to=2019-12-31 --near=59.9139,10.7522,25 --keyword=Places|Norway"
)
row_format='%-10s %8s %-13s %8s %8s %8s %8s %8s %7s\n'
echo "$(date '+%Y-%m-%d %H:%M %Z') on $(uname -n): $(nproc) cores," \
  "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), load $(cut -d ' ' -f 1-3 /proc/loadavg)"
# shellcheck disable=SC2059
printf "$row_format" database rows search matches count page view client ratio
for rows in "${sizes[@]}"; do
  data=$dir/rows-$rows-v2
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
    for table in images words facts keywords hashes; do
      sed 's/insert into Images/insert into BenchImages/' "$data/$table.sql" | client "$database" >/dev/null
    done
    # The statistics the server's own upkeep gathers soon after a bulk fill (PostgreSQL's autovacuum
    # within a minute of it), which its planner needs to walk the images table for a common word.
    tables="BenchImages, BenchImages_words, BenchImages_facts, BenchImages_keywords, BenchImages_hashes"
    case $database in
      postgresql) client "$database" <<<"analyze ${tables//,/; analyze};" ;;
      mariadb) client "$database" <<<"analyze table $tables;" >/dev/null ;;
    esac
    client "$database" <<<"select count(*) from BenchImages;" >/dev/null  # warm the cache
    arguments=("${searches[@]}")
    for name in "${companion_cases[@]}"; do arguments+=("${companion_search[$name]}"); done
    # One line a search, in the order given.
    mapfile -t view < <("$bench" "$ini" "$rounds" 100 "${arguments[@]}")
    [ ${#view[@]} = ${#arguments[@]} ] || { echo "search_bench failed on $database" >&2; exit 1; }
    names=("${searches[@]}" "${companion_cases[@]}")
    for i in "${!names[@]}"; do
      if ((i < ${#searches[@]})); then
        statements=$(plain_search "$database" "${names[i]}")
      else
        statements=$(plain_companion_search "$database" "${names[i]}")
      fi
      peer=$(time_ms "$database" "$statements")
      IFS=$'\t' read -r _ matches count page total <<<"${view[i]}"
      ratio=$(awk -v a="$total" -v b="$peer" 'BEGIN { printf "%.2fx", (b > 0 ? a / b : 0) }')
      # shellcheck disable=SC2059
      printf "$row_format" "$database" "$rows" "${names[i]}" "$matches" "$count" "$page" "$total" "$peer" "$ratio"
    done
  done
done
echo "ms, median of $rounds rounds. view = CatalogueSearch's count + first page of 100 as the catalogue view reads"
echo "them, in one process (words accent-blind, through the words table); client = the database's client running"
echo "the plain statements for the same count + first page (client start included): accent-sensitive LIKE for words,"
echo "joins and EXISTS on the companion tables for the rest; ratio = view / client. The searches by companions:"
for name in "${companion_cases[@]}"; do printf '  %-13s %s\n' "$name" "${companion_search[$name]}"; done
