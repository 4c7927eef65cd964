#!/usr/bin/env bash
# The watch benchmark: `tessarine watch` over a catalogued tree of FILES photos in an embedded
# SQLite catalogue. A photo is copied into the tree ROUNDS times; each time the time until its row
# is in the table is measured, against exiftool reading that same photo's metadata (the least any
# tool must do for a new file), in the same run. Then the idle watch is left alone for IDLE
# seconds: the share of one core it used and its peak memory are printed.
#
# The tree: small JPEGs with an XMP title, hard links of one file in folders of 1,000, generated
# once per size in the scratch folder.

set -euo pipefail
shopt -s inherit_errexit

usage() {
  cat <<'USAGE'
usage: bench/watch-latency.sh [-n FILES] [-r ROUNDS] [-i IDLE] [-s SCRATCH] TESSARINE
  -n FILES    files in the tree (default 100000)
  -r ROUNDS   photos copied in, the median is printed (default 20)
  -i IDLE     seconds the idle watch is measured (default 30)
  -s SCRATCH  folder for the tree and the catalogue (default: $TESSARINE_BENCH_DIR, else
              ~/.cache/tessarine-bench)
  TESSARINE   the tessarine command-line tool
USAGE
}

files=100000 rounds=20 idle=30
scratch=${TESSARINE_BENCH_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tessarine-bench}
while getopts n:r:i:s:h option; do
  case $option in
    n) files=$OPTARG ;;
    r) rounds=$OPTARG ;;
    i) idle=$OPTARG ;;
    s) scratch=$OPTARG ;;
    h) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -eq 1 ] || { usage >&2; exit 2; }
[[ $files =~ ^[1-9][0-9]*$ && $rounds =~ ^[1-9][0-9]*$ && $idle =~ ^[1-9][0-9]*$ ]] || { usage >&2; exit 2; }
tessarine=$1
[ -x "$tessarine" ] || tessarine=$(command -v "$tessarine") || { echo "not a program: $1" >&2; exit 2; }
for tool in exiftool sqlite3 convert; do
  command -v $tool >/dev/null || { echo "watch bench: $tool is needed" >&2; exit 2; }
done

source "$(dirname "$0")/catalogued-tree.sh"
tree="$scratch/watch-$files"
make_linked_tree "$tree" "$files"

home="$scratch/watch-home-$files"
rm -rf "$tree/photos/new"
echo "first scan of $files files (not timed)" >&2
catalogue_tree "$home" "$tessarine" "$tree"
mkdir -p "$tree/photos/new"

"$tessarine" watch --settings "$home/settings.ini" >"$home/watch.log" 2>&1 &
watcher=$!
trap 'kill $watcher 2>/dev/null || true' EXIT
# Started once its catch-up rescan is done.
until grep -q "files catalogued" "$home/watch.log"; do
  kill -0 $watcher 2>/dev/null || { cat "$home/watch.log" >&2; exit 1; }
  sleep 0.2
done

now() { date +%s.%N; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
peer=() ours=()
for ((round = 1; round <= rounds; ++round)); do
  name="new$round.jpg"
  start=$(now)
  cp "$tree/sample.jpg" "$tree/photos/new/$name"
  until [ "$(sqlite3 "$home/catalogue.sqlite" "select count(*) from Images where FileName = '$name';" 2>/dev/null)" = 1 ]; do
    sleep 0.01
  done
  ours+=("$(echo "$(now) - $start" | bc -l)")
  start=$(now)
  exiftool -q -j -XMP-dc:Title "$tree/photos/new/$name" >/dev/null
  peer+=("$(echo "$(now) - $start" | bc -l)")
  sleep 0.5
done
peer_s=$(median "${peer[@]}") ours_s=$(median "${ours[@]}")

ticks() { awk '{ print $14 + $15 }' "/proc/$watcher/stat"; }
sleep 2
before=$(ticks)
sleep "$idle"
after=$(ticks)
hz=$(getconf CLK_TCK)
cpu=$(echo "100 * ($after - $before) / $hz / $idle" | bc -l)
peak=$(awk '/VmHWM/ { print $2 / 1024 }' "/proc/$watcher/status")

printf '%-58s %8.3f s\n' "exiftool reading the new photo (peer), median of $rounds" "$peer_s"
printf '%-58s %8.3f s  %5.1fx exiftool\n' "tessarine watch: photo copied -> its row, median of $rounds" "$ours_s" \
  "$(echo "$ours_s / $peer_s" | bc -l)"
printf '%-58s %8.2f %% of a core, peak %.0f MB\n' "tessarine watch idle over $files files, $idle s" "$cpu" "$peak"
