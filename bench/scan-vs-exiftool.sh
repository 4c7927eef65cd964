#!/usr/bin/env bash
# The scan benchmark: `tessarine scan` of a camera-like tree against exiftool reading the same
# metadata from the same files, in the same run, on a warm page cache.
#
# Contenders, one after the other in each round (the median of the rounds is printed, so a burst
# of load from elsewhere moves one round, not the result):
#   exiftool -r -j -q -IPTC:all -XMP:all      the peer every figure is compared with
#   exiv2 -pa                                 a second reference, when exiv2 is installed
#   djpeg -scale 1/8, two at a time         the floor of decoding every JPEG for its thumbnail
#   each TESSARINE given: scan into an embedded SQLite catalogue, the same into one without the
#   companion tables (facts, keywords, hashes; when sqlite3 is there), the same hashing every byte of
#   each file for its content hash ([Configuration] HashFiles=1), the same with thumbnails made
#   (made again in every round) from the pixels, the same over a tree whose JPEGs carry an EXIF
#   thumbnail (as cameras write them), and scan into PostgreSQL and MariaDB on loopback
# Every scan starts on freshly created tables, so each round does the same work: a first scan.
#
# The tree (JPEGs of 4000x3000 px with IPTC, XMP and a custom XMP namespace, 20 TIFF, 20 PSD,
# 20 text files, in folders of about 100) is generated once per size and kept in the scratch folder,
# once as it is and once with a 160x120 EXIF thumbnail in each JPEG.
#
# With -m it measures memory instead: peak resident memory of a scan over 1,000 files against the
# same plus one 3 GiB sparse JPEG, and over trees of 10^3 and 10^4 files (10^5 with -n 100000),
# to show whether memory follows the size of a file or the number of files.

set -euo pipefail
shopt -s inherit_errexit  # a failure inside $(...) ends the bench too

usage() {
  cat <<'EOF'
usage: bench/scan-vs-exiftool.sh [-n FILES] [-r ROUNDS] [-p|-P] [-m] [-s SCRATCH] TESSARINE [TESSARINE...]
  -n FILES    JPEGs in the tree (default 2000); with -m, 100000 or more adds a tree of 10^5 files
  -r ROUNDS   rounds, the median is printed (default 3)
  -p          scan into PostgreSQL too, and fail when it cannot be started
  -P          no PostgreSQL (default: PostgreSQL when its server is installed)
  -m          memory mode: peak memory against file size and file count, no timing table
  -s SCRATCH  folder for the cached trees and the databases (default: $TESSARINE_BENCH_DIR,
              else ~/.cache/tessarine-bench)
  TESSARINE   tessarine command-line tools to compare (an older build beside a newer one)
Peak memory comes from GNU time (/usr/bin/time), else from a python3 wrapper; set GNU_TIME= to
force the wrapper.
EOF
}

files=2000 rounds=3 postgres=auto memory_mode=0
scratch=${TESSARINE_BENCH_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tessarine-bench}
while getopts n:r:pPms:h option; do
  case $option in
    n) files=$OPTARG ;;
    r) rounds=$OPTARG ;;
    p) postgres=yes ;;
    P) postgres=no ;;
    m) memory_mode=1 ;;
    s) scratch=$OPTARG ;;
    h) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || { usage >&2; exit 2; }
[[ $files =~ ^[1-9][0-9]*$ && $rounds =~ ^[1-9][0-9]*$ ]] || { usage >&2; exit 2; }
binaries=()
for argument in "$@"; do
  binary=$argument
  [ -x "$binary" ] || binary=$(command -v "$binary") || { echo "not a program: $argument" >&2; exit 2; }
  binaries+=("$binary")
done
command -v exiftool >/dev/null || { echo "exiftool is needed (Debian package libimage-exiftool-perl)" >&2; exit 2; }

repo=$(cd "$(dirname "$0")/.." && pwd)
# ImageMagick's own convert.
convert=/usr/bin/convert
[ -x "$convert" ] || convert=convert
gnu_time=${GNU_TIME-/usr/bin/time}
[ -z "$gnu_time" ] || [ -x "$gnu_time" ] || gnu_time=

mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
# One bench at a time per scratch folder: two would share the cached tree, its thumbnails and
# the processors they are timed on.
exec 9>"$scratch/lock"
flock -n 9 || { echo "bench: waiting for the other bench in $scratch" >&2; flock 9; }
work=$(mktemp -d "$scratch/run.XXXXXX")
chmod 755 "$work"  # the database servers run as their own users
db_dir=
tree=
preview_tree=

cleanup() {
  [ -z "$db_dir" ] || "$repo/scripts/stop-test-databases.sh" "$db_dir"
  # Thumbnails made by a scan must not stay in the cached tree.
  [ -z "$tree" ] || [ ! -d "$tree" ] || remove_thumbnails "$tree"
  [ -z "$preview_tree" ] || [ ! -d "$preview_tree" ] || remove_thumbnails "$preview_tree"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

say() { echo "bench: $*" >&2; }
die() { echo "bench: $*" >&2; exit 1; }

remove_thumbnails() { find "$1" -type d -name _thumbs_ -prune -exec rm -rf {} +; }
# Between rounds the thumbnails' folders are moved aside, not deleted, and deleted once the run
# ends: ext4 passes over inodes freed in the last minutes when it makes a file (2,000 thumbnails
# deleted before a scan made it spend 1.9 s of system time looking for others, against 0.5 s), and
# a first scan, which each round stands for, follows no such deletion.
set_thumbnails_aside() {
  local folder
  while IFS= read -r -d '' folder; do
    mkdir -p "$work/aside"
    mv "$folder" "$(mktemp -d "$work/aside/XXXXXX")/"
  done < <(find "$1" -type d -name _thumbs_ -prune -print0)
}

# ---------------------------------------------------------------------------------------------
# The generated files. Seeds are a handful of distinct images with their metadata; trees are
# copies of them. Both are cached under the scratch folder, keyed by what they are made of:
# bump the version when the generation changes.

generation=v1
seeds=$scratch/seeds-$generation
jpeg_seeds=6 other_seeds=2 extras=20
jpeg_width=4000 jpeg_height=3000 other_width=1200 other_height=800

# exiftool learns a custom XMP namespace from a config file; the catalogue maps its property to
# a custom column (see settings_file).
custom_ns=http://ns.example.com/tessbench/1.0/
write_exiftool_config() {
  cat >"$1" <<EOF
%Image::ExifTool::UserDefined = (
  'Image::ExifTool::XMP::Main' => {
    tessbench => { SubDirectory => { TagTable => 'Image::ExifTool::UserDefined::tessbench' } },
  },
);
%Image::ExifTool::UserDefined::tessbench = (
  GROUPS => { 0 => 'XMP', 1 => 'XMP-tessbench', 2 => 'Image' },
  NAMESPACE => { 'tessbench' => '$custom_ns' },
  WRITABLE => 'string',
  Shot => { },
);
1;
EOF
}

# The metadata a photographer's file carries: a little EXIF, IPTC and XMP saying the same, and
# one property of a namespace of our own. Each seed gets its own values.
tag_image() { # CONFIG FILE NUMBER
  local places=(Nice Lyon Brest Arles Dijon Rouen) subjects=(harbour market bridge street garden beach)
  local place=${places[$(($3 % 6))]} subject=${subjects[$(($3 % 6))]}
  exiftool -config "$1" -q -overwrite_original \
    -EXIF:Make=Bench -EXIF:Model='Bench 1' -EXIF:DateTimeOriginal="2024:05:0$(($3 % 9 + 1)) 10:00:00" \
    -IPTC:ObjectName="$subject $3" -IPTC:Keywords="$subject" -IPTC:Keywords=holiday -IPTC:City="$place" \
    -IPTC:By-line='Ann Example' -IPTC:Caption-Abstract="The $subject at $place, seen from the south" \
    -XMP-dc:Title="$subject $3" -XMP-dc:Subject="$subject" -XMP-dc:Subject=holiday \
    -XMP-dc:Description="The $subject at $place, seen from the south" \
    -XMP-dc:Creator='Ann Example' -XMP-photoshop:City="$place" -XMP-tessbench:Shot="roll 7 frame $3" "$2"
}

# Plasma, slightly blurred and chroma-subsampled 4:2:2 at quality 90, compresses like a photo:
# about 2.2 MB at 4000x3000.
make_seeds() {
  [ -d "$seeds" ] && return
  say "making seed images in $seeds"
  local part=$seeds.part i
  rm -rf "$part"
  mkdir -p "$part"
  write_exiftool_config "$part/exiftool.config"
  for ((i = 1; i <= jpeg_seeds; i++)); do
    nice "$convert" -size "${jpeg_width}x$jpeg_height" -seed "$i" plasma:fractal -blur 0x0.5 \
      -sampling-factor 2x1 -quality 90 "$part/photo$i.jpg"
    tag_image "$part/exiftool.config" "$part/photo$i.jpg" "$i"
  done
  for ((i = 1; i <= other_seeds; i++)); do
    nice "$convert" -size "${other_width}x$other_height" -seed "$((i + 100))" plasma:fractal -depth 8 \
      -compress none "$part/scan$i.tif"
    nice "$convert" -size "${other_width}x$other_height" -seed "$((i + 200))" plasma:fractal -depth 8 \
      "$part/layers$i.psd"
    tag_image "$part/exiftool.config" "$part/scan$i.tif" "$((i + 10))"
    tag_image "$part/exiftool.config" "$part/layers$i.psd" "$((i + 20))"
    printf 'Shot list %d\nroll 7, frames 1 to 36\n' "$i" >"$part/notes$i.txt"
  done
  mv "$part" "$seeds"
}

# The JPEG seeds again, each with the 160x120 EXIF thumbnail a camera writes.
preview_seeds=$seeds-previews
make_preview_seeds() {
  [ -d "$preview_seeds" ] && return
  say "adding EXIF thumbnails to copies of the seeds in $preview_seeds"
  local part=$preview_seeds.part i
  rm -rf "$part"
  cp -r "$seeds" "$part"
  for ((i = 1; i <= jpeg_seeds; i++)); do
    "$convert" "$part/photo$i.jpg" -thumbnail 160x120 -strip "$part/thumb$i.jpg"
    exiftool -q -overwrite_original "-ThumbnailImage<=$part/thumb$i.jpg" "$part/photo$i.jpg"
  done
  mv "$part" "$preview_seeds"
}

# A tree of FILES JPEGs and the extras, dealt round-robin into folders of about 100 files.
# Real copies, not links: each file has its own pages in the cache, as on a photographer's disk.
make_tree() { # FILES [previews] -> prints the tree's folder
  local count=$1 seeds=$seeds dir=$scratch/tree-$generation-n$1
  [ "${2:-}" != previews ] || { seeds=$preview_seeds dir=$dir-previews; }
  if [ ! -d "$dir" ]; then
    say "making a tree of $count JPEGs in $dir"
    local part=$dir.part total=$((count + 3 * extras)) i folders
    folders=$(((total + 99) / 100))
    rm -rf "$part"
    for ((i = 0; i < folders; i++)); do mkdir -p "$part/$(printf 'f%03d' "$i")"; done
    folder_of() { printf '%s/f%03d' "$part" "$(($1 % folders))"; }
    for ((i = 0; i < count; i++)); do
      cp "$seeds/photo$((i % jpeg_seeds + 1)).jpg" "$(folder_of "$i")/img$(printf '%05d' "$i").jpg"
    done
    for ((i = 0; i < extras; i++)); do
      local seed=$((i % other_seeds + 1))
      cp "$seeds/scan$seed.tif" "$(folder_of $((count + 3 * i)))/scan$(printf '%03d' "$i").tif"
      cp "$seeds/layers$seed.psd" "$(folder_of $((count + 3 * i + 1)))/layers$(printf '%03d' "$i").psd"
      cp "$seeds/notes$seed.txt" "$(folder_of $((count + 3 * i + 2)))/notes$(printf '%03d' "$i").txt"
    done
    mv "$part" "$dir"
  fi
  echo "$dir"
}

# ---------------------------------------------------------------------------------------------
# Catalogues: an SQLite file data source in the run folder, PostgreSQL from start-test-databases.

sqlite_dsn=$work/catalogue.dsn
printf '[ODBC]\nDriver=SQLite3\nDatabase=%s\n' "$work/catalogue.sqlite" >"$sqlite_dsn"

settings_file() { # FILE DSN LOGIN PASSWORD DBMS THUMBNAILS [TABLE_SUFFIX]
  cat >"$1" <<EOF
[Connection]
DSN=$2
FileDSN=1
Login=$3
Password=$4
[Database]
DBMS=$5
Folders=Folders${7:-}
Images=Images${7:-}
[Configuration]
CreateThumbnails=$6
ReCreateThumbnails=1
[XMPCustomized]
Description1=Bench
NS1=$custom_ns
Prefix1=tessbench
XMPFieldName1_1=Shot
DBFieldName1_1=01
EOF
}

start_postgresql() {
  [ "$postgres" = no ] && return 1
  if ! ls /usr/lib/postgresql/*/bin/initdb >/dev/null 2>&1; then
    [ "$postgres" = yes ] && die "PostgreSQL is not installed"
    return 1
  fi
  db_dir=$work/databases
  say "starting PostgreSQL in $db_dir"
  # The servers outlive this call: they must not hold the bench's lock (fd 9).
  "$repo/scripts/start-test-databases.sh" "$db_dir" 2>"$work/databases.log" 9>&- || true
  # shellcheck source=/dev/null
  source "$db_dir/env.sh"
  if [ -z "${TESSARINE_PGSQL_FILEDSN:-}" ]; then
    [ "$postgres" = yes ] && die "PostgreSQL did not start: $(cat "$work/databases.log")"
    say "PostgreSQL did not start, left out"
    return 1
  fi
}

# ---------------------------------------------------------------------------------------------
# Measuring. One run of a command: its wall time and the peak resident memory of its largest
# process (GNU time and getrusage report the biggest of a process and its waited-for children,
# not their sum: for the scan, the larger of the scan and its decoder process).

# Without GNU time: python3 spawns the command and asks getrusage. The wrapper's own memory
# (about 9 MB, carried into the child up to its exec) is a floor below which it cannot see.
cat >"$work/measure.py" <<'EOF'
import os, resource, sys, time
out = [(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
       (os.POSIX_SPAWN_OPEN, 2, sys.argv[1], os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)]
start = time.monotonic()
pid = os.posix_spawnp(sys.argv[2], sys.argv[2:], os.environ, file_actions=out)
status = os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])
seconds = time.monotonic() - start
print(f"{seconds:.3f} {resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss}")
sys.exit(status if status >= 0 else 128 - status)
EOF

# measure LOG COMMAND... -> "SECONDS PEAK_KB"; stdout is dropped, stderr goes to LOG. Returns the
# command's exit status.
measure() {
  local log=$1 status=0
  shift
  if [ -z "$gnu_time" ]; then
    python3 -S "$work/measure.py" "$log" "$@"
    return
  fi
  local start end
  start=$(date +%s.%N)
  "$gnu_time" -f %M -o "$work/peak" "$@" >/dev/null 2>"$log" || status=$?
  end=$(date +%s.%N)
  # After a failure GNU time writes a line of its own before the figure.
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f", b - a}') $(tail -n 1 "$work/peak")"
  return "$status"
}

median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2)}'; }
largest() { sort -n | tail -n 1; }

# "N files catalogued" from a scan's summary line.
catalogued() { sed -n 's/^\([0-9][0-9]*\) files catalogued.*/\1/p' "$1" | tail -n 1; }

# A fresh catalogue: the tables are dropped and made again by the binary under test, whose
# schema is the one it writes, and the folder to scan is listed (a scan takes listed folders only).
fresh_tables() { # BINARY SETTINGS FOLDER
  [ "$(sed -n 's/^DBMS=//p' "$2")" != 3 ] || rm -f "$work/catalogue.sqlite"
  "$1" db create --yes --settings "$2" >"$work/create.log" 2>&1 ||
    die "db create failed with $1: $(cat "$work/create.log")"
  "$1" folders add --settings "$2" "$3" >>"$work/create.log" 2>&1 ||
    die "folders add failed with $1: $(cat "$work/create.log")"
}

# ---------------------------------------------------------------------------------------------
# The timing table.

declare -A seconds_of peak_of count_of note_of
contenders=()

# record ID LABEL FILES -- COMMAND...: one timed run of a contender; a failure ends the bench.
record() {
  local id=$1 label=$2 count=$3 result log
  shift 4
  log=$work/$id.log
  [ -n "${count_of[$id]:-}" ] || contenders+=("$id")
  count_of[$id]=$count
  note_of[$id.label]=$label
  result=$(measure "$log" "$@") || die "$label failed: $(tail -n 5 "$log")"
  seconds_of[$id]+="${result% *} "
  peak_of[$id]+="${result#* } "
}

scan_round() { # ID LABEL BINARY SETTINGS [TREE]
  local id=$1 label=$2 binary=$3 settings=$4 tree=${5:-$tree} rows
  set_thumbnails_aside "$tree"
  fresh_tables "$binary" "$settings" "$tree"
  # The catalogue as one made before the companion tables: the scan then writes images rows alone.
  if [[ $id == *-bare ]]; then
    sqlite3 "$work/catalogue.sqlite" 'drop table Images_facts; drop table Images_keywords; drop table Images_hashes;'
  fi
  record "$id" "$label" "$total" -- "$binary" scan --settings "$settings" "$tree"
  rows=$(catalogued "$work/$id.log")
  [ "$rows" = "$total" ] || note_of[$id]="catalogued ${rows:-no} files of $total"
  if grep -q '^CreateThumbnails=1' "$settings"; then
    local made
    made=$(find "$tree" -path '*/_thumbs_/*' -type f | wc -l)
    [ "$made" = "$images" ] || note_of[$id]="made $made thumbnails for $images images"
  fi
  set_thumbnails_aside "$tree"
}

label_of() { # BINARY -> its name when that tells the binaries apart, else its path
  local binary=$1 other same=0
  for other in "${binaries[@]}"; do [ "$(basename "$other")" != "$(basename "$binary")" ] || same=$((same + 1)); done
  if [ "$same" -gt 1 ]; then echo "$binary"; else basename "$binary"; fi
}

print_table() {
  local id width=10 peer_rate seconds rate peak
  for id in "${contenders[@]}"; do
    [ ${#note_of[$id.label]} -le "$width" ] || width=${#note_of[$id.label]}
  done
  peer_rate=$(awk -v n="${count_of[exiftool]}" -v t="$(tr ' ' '\n' <<<"${seconds_of[exiftool]}" | grep . | median)" \
    'BEGIN {print n / t}')
  printf "%-${width}s  %9s  %8s  %16s  %8s\n" contender seconds files/s 'vs exiftool' 'peak MB'
  for id in "${contenders[@]}"; do
    seconds=$(tr ' ' '\n' <<<"${seconds_of[$id]}" | grep . | median)
    peak=$(tr ' ' '\n' <<<"${peak_of[$id]}" | grep . | largest)
    rate=$(awk -v n="${count_of[$id]}" -v t="$seconds" 'BEGIN {print n / t}')
    printf "%-${width}s  %9.2f  %8.1f  %7.2f× exiftool  %8.1f%s\n" "${note_of[$id.label]}" "$seconds" "$rate" \
      "$(awk -v a="$rate" -v b="$peer_rate" 'BEGIN {print a / b}')" "$(awk -v k="$peak" 'BEGIN {print k / 1024}')" \
      "${note_of[$id]:+  (${note_of[$id]})}"
  done
}

timing_mode() {
  make_seeds
  make_preview_seeds
  tree=$(make_tree "$files")
  preview_tree=$(make_tree "$files" previews)
  total=$(find "$tree" -type f | wc -l)
  images=$(find "$tree" -type f \( -name '*.jpg' -o -name '*.tif' -o -name '*.psd' \) | wc -l)
  local folders with_pg=0
  folders=$(find "$tree" -mindepth 1 -type d | wc -l)
  start_postgresql && with_pg=1

  # Files and results of the i-th binary are keyed t<i>, whatever its path.
  local i binary name
  for i in "${!binaries[@]}"; do
    settings_file "$work/t$i-sqlite.ini" "$sqlite_dsn" '' '' 3 0
    settings_file "$work/t$i-thumbs.ini" "$sqlite_dsn" '' '' 3 1
    sed 's/^\[Configuration\]$/&\nHashFiles=1/' "$work/t$i-sqlite.ini" >"$work/t$i-hash.ini"
    # Tables of each binary's own on the shared server: an older one may not drop a newer one's tables.
    [ "$with_pg" = 0 ] || settings_file "$work/t$i-pg.ini" "$TESSARINE_PGSQL_FILEDSN" "$TESSARINE_PGSQL_LOGIN" \
      "$TESSARINE_PGSQL_PASSWORD" 0 0 "$i"
    [ -z "${TESSARINE_MARIADB_FILEDSN:-}" ] || settings_file "$work/t$i-maria.ini" "$TESSARINE_MARIADB_FILEDSN" \
      "$TESSARINE_MARIADB_LOGIN" "$TESSARINE_MARIADB_PASSWORD" 0 0 "$i"
  done
  # exiv2 gets the images only (it refuses text files); its rate is over those.
  local exiv2_list=$work/exiv2.list
  find "$tree" -name _thumbs_ -prune -o -type f \( -name '*.jpg' -o -name '*.tif' -o -name '*.psd' \) -print0 \
    >"$exiv2_list"

  say "warming the page cache and the programs"
  find "$tree" "$preview_tree" -type f -exec cat {} + >/dev/null
  local jpeg_list=$work/jpeg.list
  find "$tree" -name _thumbs_ -prune -o -type f -name '*.jpg' -print0 >"$jpeg_list"
  exiftool -ver >/dev/null
  for binary in "${binaries[@]}"; do "$binary" --version >/dev/null; done
  local load_before round
  load_before=$(uptime)

  for ((round = 1; round <= rounds; round++)); do
    say "round $round of $rounds"
    record exiftool 'exiftool -IPTC:all -XMP:all' "$total" -- exiftool -r -j -q -IPTC:all -XMP:all -i _thumbs_ "$tree"
    if command -v exiv2 >/dev/null; then
      record exiv2 'exiv2 -pa (images only)' "$images" -- xargs -0 -a "$exiv2_list" exiv2 -pa
    fi
    if command -v djpeg >/dev/null; then
      record djpeg '2 × djpeg -scale 1/8 (JPEGs only)' "$files" -- \
        xargs -0 -n 1 -P 2 -a "$jpeg_list" djpeg -scale 1/8 -outfile /dev/null
    fi
    for i in "${!binaries[@]}"; do
      binary=${binaries[i]}
      name=$(label_of "$binary")
      scan_round "t$i-sqlite" "$name: SQLite" "$binary" "$work/t$i-sqlite.ini"
      if command -v sqlite3 >/dev/null; then
        scan_round "t$i-bare" "$name: SQLite, no companion tables" "$binary" "$work/t$i-sqlite.ini"
      fi
      scan_round "t$i-hash" "$name: SQLite + content hashes" "$binary" "$work/t$i-hash.ini"
      scan_round "t$i-thumbs" "$name: SQLite + thumbnails" "$binary" "$work/t$i-thumbs.ini"
      scan_round "t$i-previews" "$name: SQLite + thumbnails, EXIF thumbnails" "$binary" "$work/t$i-thumbs.ini" \
        "$preview_tree"
      [ "$with_pg" = 0 ] || scan_round "t$i-pg" "$name: PostgreSQL" "$binary" "$work/t$i-pg.ini"
      [ -z "${TESSARINE_MARIADB_FILEDSN:-}" ] || scan_round "t$i-maria" "$name: MariaDB" "$binary" "$work/t$i-maria.ini"
    done
  done

  echo
  echo "Scan of $total files (folders: $folders): $files JPEG ${jpeg_width}x$jpeg_height ($(du -sh "$seeds/photo1.jpg" | cut -f1)B each)," \
    "$extras TIFF and $extras PSD ${other_width}x$other_height, $extras text; median of $rounds rounds, warm cache"
  echo "SQLite, PostgreSQL (loopback, fsync off) and MariaDB (loopback, log flushed once a second)" \
    "catalogues made afresh before every scan;" \
    "thumbnails made again in every round; content hashes: XXH3 of every byte of each file." \
    "Peak MB: largest process, largest round."
  [ "$with_pg" = 1 ] || echo "PostgreSQL left out."
  command -v exiv2 >/dev/null || echo "exiv2 is not installed: left out."
  command -v djpeg >/dev/null || echo "djpeg is not installed: left out."
  print_table
  echo "load before:$load_before"
  echo "load after: $(uptime)"
}

# ---------------------------------------------------------------------------------------------
# The memory mode. Hard links make large trees cheaply: the scan reads every name as a file of its
# own, and memory is what is measured here, not reading from disk.

link_tree() { # DIR FILES PER_FOLDER
  local dir=$1 count=$2 per=$3 i folder=
  for ((i = 0; i < count; i++)); do
    if ((i % per == 0)); then
      folder=$dir/$(printf 'f%05d' $((i / per)))
      mkdir -p "$folder"
    fi
    ln "$seeds/photo$((i % jpeg_seeds + 1)).jpg" "$folder/img$(printf '%06d' "$i").jpg"
  done
}

memory_mode() {
  make_seeds
  local mem=$work/memory sizes=(1000 10000)
  [ "$files" -lt 100000 ] || sizes+=(100000)
  say "linking the memory trees in $mem"
  link_tree "$mem/plain" 1000 1000
  link_tree "$mem/sparse" 1000 1000
  # A JPEG whose first 64 KiB (markers, metadata, the start of the picture) are a real photo's and
  # the rest a hole: 3 GiB to any reader, next to nothing on disk.
  head -c 65536 "$seeds/photo1.jpg" >"$mem/sparse/f00000/huge.jpg"
  truncate -s 3G "$mem/sparse/f00000/huge.jpg"
  local size
  for size in "${sizes[@]}"; do link_tree "$mem/tree$size" "$size" 100; done

  local i binary name case_name result status log settings
  echo
  echo "Peak resident memory of tessarine scan (SQLite, no thumbnails), one run each;" \
    "JPEGs ${jpeg_width}x$jpeg_height; largest process (the scan or its decoder)"
  # A case reads "NAME: " and at most 30 characters more.
  local width=0
  for binary in "${binaries[@]}"; do
    name=$(label_of "$binary")
    [ $((${#name} + 32)) -le "$width" ] || width=$((${#name} + 32))
  done
  printf "%-${width}s  %7s  %9s  %8s  %s\n" case files seconds 'peak MB' result
  for i in "${!binaries[@]}"; do
    binary=${binaries[i]}
    name=$(label_of "$binary")
    settings=$work/t$i-memory.ini
    settings_file "$settings" "$sqlite_dsn" '' '' 3 0
    declare -A peak=()
    for case_name in plain sparse "${sizes[@]/#/tree}"; do
      fresh_tables "$binary" "$settings" "$mem/$case_name"
      log=$work/t$i-memory-$case_name.log
      status=0
      result=$(measure "$log" "$binary" scan --settings "$settings" "$mem/$case_name") || status=$?
      peak[$case_name]=${result#* }
      local described count
      count=$(find "$mem/$case_name" -type f | wc -l)
      case $case_name in
        plain) described="one folder of 1000 JPEGs" ;;
        sparse) described="the same + a 3 GiB sparse .jpg" ;;
        *) described="${case_name#tree} JPEGs in folders of 100" ;;
      esac
      printf "%-${width}s  %7d  %9.2f  %8.1f  %s\n" "$name: $described" "$count" "${result% *}" \
        "$(awk -v k="${peak[$case_name]}" 'BEGIN {print k / 1024}')" \
        "exit $status, $(catalogued "$log" || true) catalogued"
    done
    awk -v a="${peak[plain]}" -v b="${peak[sparse]}" -v n="$name" \
      'BEGIN {printf "%s: the 3 GiB file adds %.1f MB\n", n, (b - a) / 1024}'
    local previous='' size_kb
    for size in "${sizes[@]}"; do
      size_kb=${peak[tree$size]}
      [ -z "$previous" ] || awk -v a="$previous" -v b="$size_kb" -v n="$name" -v s="$size" \
        'BEGIN {printf "%s: %d files instead of %d add %.1f MB\n", n, s, s / 10, (b - a) / 1024}'
      previous=$size_kb
    done
  done
  echo "load: $(uptime)"
}

if [ "$memory_mode" = 1 ]; then memory_mode; else timing_mode; fi
