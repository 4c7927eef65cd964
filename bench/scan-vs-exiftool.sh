#!/usr/bin/env bash
# Times `tessarine scan` of a generated tree into an embedded SQLite catalogue against
# `exiftool -r -j` reading the same tree, in the same run, and prints both rates and their ratio.
# Several tessarine binaries may be given (an older build beside a newer one); runs alternate.
# Usage: bench/scan-vs-exiftool.sh [-n FILES] [-w WIDTH] [-r RUNS] TESSARINE [TESSARINE...]
set -euo pipefail
files=1000 width=1200 runs=3
while getopts n:w:r: option; do
  case $option in
    n) files=$OPTARG ;;
    w) width=$OPTARG ;;
    r) runs=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || { echo "usage: $0 [-n FILES] [-w WIDTH] [-r RUNS] TESSARINE..." >&2; exit 2; }

work=$(mktemp -d /tmp/tessarine-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# One camera-like JPEG with IIM and XMP written by exiftool, copied in folders of 100.
/usr/bin/convert -size "${width}x$((width * 2 / 3))" plasma:fractal -quality 90 "$work/seed.jpg"
exiftool -q -overwrite_original -IPTC:ObjectName=Title -IPTC:Keywords=sea -IPTC:Keywords=sun \
  -IPTC:City=Nice -XMP-dc:Title='XMP title' -XMP-dc:Subject=one -XMP-dc:Creator=Ann "$work/seed.jpg"
for ((i = 0; i < files; i++)); do
  folder="$work/tree/f$((i / 100))"
  mkdir -p "$folder"
  cp "$work/seed.jpg" "$folder/img$i.jpg"
done

printf '[ODBC]\nDriver=SQLite3\nDatabase=%s\n' "$work/cat.sqlite" >"$work/cat.dsn"
printf '[Connection]\nDSN=%s\nFileDSN=1\nLogin=\nPassword=\n[Database]\nDBMS=3\n' "$work/cat.dsn" >"$work/t.ini"
"$1" db create --yes --settings "$work/t.ini" >/dev/null

seconds() { # command... -> elapsed seconds of one run
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN {print b - a}'
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

declare -A times
cat "$work"/tree/*/* >/dev/null  # a warm page cache for every contender
for ((run = 0; run < runs; run++)); do
  times[exiftool]+="$(seconds exiftool -r -j -q -IPTC:all -XMP:all "$work/tree") "
  for binary in "$@"; do
    times[$binary]+="$(seconds "$binary" scan --settings "$work/t.ini" "$work/tree") "
  done
done

peer=$(echo "${times[exiftool]}" | tr ' ' '\n' | grep . | median)
printf '%d files of %dx%d px, median of %d runs\n' "$files" "$width" "$((width * 2 / 3))" "$runs"
printf '  %-40s %7.2f s  %7.1f files/s\n' exiftool "$peer" "$(awk -v n="$files" -v t="$peer" 'BEGIN {print n / t}')"
for binary in "$@"; do
  own=$(echo "${times[$binary]}" | tr ' ' '\n' | grep . | median)
  printf '  %-40s %7.2f s  %7.1f files/s  %.2fx the time of exiftool\n' "$binary" "$own" \
    "$(awk -v n="$files" -v t="$own" 'BEGIN {print n / t}')" "$(awk -v a="$own" -v b="$peer" 'BEGIN {print a / b}')"
done
