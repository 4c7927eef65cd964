#!/usr/bin/env bash
# The rescan benchmark: `tessarine scan --changed` over a tree that has not changed since its last
# scan, into an embedded SQLite catalogue, against exiftool listing the same files' sizes and
# dates (what any tool must at least do to tell what changed), in the same run, warm cache.
# The median of the rounds is printed for each, with the files per second and the ratio.
#
# The tree: FILES small JPEGs with an XMP title, hard links of one file in folders of 1,000,
# generated once per size in the scratch folder.

set -euo pipefail
shopt -s inherit_errexit

usage() {
  cat <<'USAGE'
usage: bench/rescan-unchanged.sh [-n FILES] [-r ROUNDS] [-s SCRATCH] TESSARINE
  -n FILES    files in the tree (default 100000)
  -r ROUNDS   rounds, the median is printed (default 3)
  -s SCRATCH  folder for the tree and the catalogue (default: $TESSARINE_BENCH_DIR, else
              ~/.cache/tessarine-bench)
  TESSARINE   the tessarine command-line tool
USAGE
}

files=100000 rounds=3
scratch=${TESSARINE_BENCH_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tessarine-bench}
while getopts n:r:s:h option; do
  case $option in
    n) files=$OPTARG ;;
    r) rounds=$OPTARG ;;
    s) scratch=$OPTARG ;;
    h) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -eq 1 ] || { usage >&2; exit 2; }
[[ $files =~ ^[1-9][0-9]*$ && $rounds =~ ^[1-9][0-9]*$ ]] || { usage >&2; exit 2; }
tessarine=$1
[ -x "$tessarine" ] || tessarine=$(command -v "$tessarine") || { echo "not a program: $1" >&2; exit 2; }
command -v exiftool >/dev/null || { echo "rescan bench: exiftool is needed (package libimage-exiftool-perl)" >&2; exit 2; }

source "$(dirname "$0")/catalogued-tree.sh"
tree="$scratch/rescan-$files"
make_linked_tree "$tree" "$files"

home="$scratch/rescan-home-$files"
echo "first scan of $files files (not timed)" >&2
catalogue_tree "$home" "$tessarine" "$tree"

seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N); echo "$end - $start" | bc -l; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

peer=() ours=()
for ((round = 1; round <= rounds; ++round)); do
  peer+=("$(seconds exiftool -r -fast2 -q -j -FileSize# -FileModifyDate "$tree/photos")")
  ours+=("$(seconds "$tessarine" scan --changed --settings "$home/settings.ini")")
done
peer_s=$(median "${peer[@]}") ours_s=$(median "${ours[@]}")
rate() { echo "$files / $1" | bc -l | xargs printf '%.0f'; }
printf '%-52s %8.2f s %10s files/s\n' "exiftool -r -fast2 -FileSize -FileModifyDate (peer)" "$peer_s" "$(rate "$peer_s")"
printf '%-52s %8.2f s %10s files/s  %5.1fx exiftool\n' "tessarine scan --changed, unchanged tree, SQLite" "$ours_s" \
  "$(rate "$ours_s")" "$(echo "$peer_s / $ours_s" | bc -l)"
