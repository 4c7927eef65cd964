#!/usr/bin/env bash
# What a hostile file costs: each reproducer of the hostile-input campaign is read by `tessarine
# show` and by exiftool in the same run; prints seconds, peak memory (MB), bytes printed and the
# time as a multiple of exiftool's. The files are generated in SCRATCH (sparse where large).
# Usage: bench/hostile-files.sh [-s SCRATCH] TESSARINE [TESSARINE...]
set -euo pipefail
scratch=$(mktemp -d /tmp/tessarine-hostile.XXXXXX)
keep=0
while getopts "s:h" option; do
  case $option in
    s) scratch=$OPTARG; keep=1 ;;
    *) sed -n '2,6p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || { sed -n '2,6p' "$0"; exit 2; }
mkdir -p "$scratch"
[ "$keep" = 1 ] || trap 'rm -rf "$scratch"' EXIT
home="$scratch/home"
mkdir -p "$home"
printf '[Metadata]\nOnlyIPTC=0\n' >"$home/settings.ini"

# The reproducers, written by python3.
python3 - "$scratch" <<'PY'
import os, sys
scratch = sys.argv[1]
def packet(body, doctype=""):
    return ('<?xpacket begin="" id="W5M0MpCehiHzreSzNTczkc9d"?>' + doctype + '<x:xmpmeta xmlns:x="adobe:ns:meta/">'
            '<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"><rdf:Description rdf:about="" '
            'xmlns:dc="http://purl.org/dc/elements/1.1/">' + body +
            '</rdf:Description></rdf:RDF></x:xmpmeta><?xpacket end="w"?>')
def tiff(name, text, size=None):
    if not size:  # the packet alone too, for exiftool, which refuses a TIFF without directories
        with open(os.path.join(scratch, name[:-4] + ".xmp"), "w") as out:
            out.write(text)
    path = os.path.join(scratch, name)
    with open(path, "wb") as out:
        out.write(b"II*\0" + bytes(60) + text.encode() + bytes(8))
        if size:
            out.truncate(size)
# An entity of 10,000 characters referenced 3,000 times in the title.
tiff("entity.tif", packet("<dc:title><rdf:Alt><rdf:li>" + "&e;" * 3000 + "</rdf:li></rdf:Alt></dc:title>",
                          '<!DOCTYPE x:xmpmeta [<!ENTITY e "' + "a" * 10000 + '">]>'))
# 400,000 keywords.
tiff("keywords.tif", packet("<dc:subject><rdf:Bag>" + "<rdf:li>k</rdf:li>" * 400000 + "</rdf:Bag></dc:subject>"))
# A packet never closed, at the start of a sparse file of 300 MB and of 3 GiB.
tiff("open-300M.tif", '<?xpacket begin=""?><x:xmpmeta>', 300 * 1000 * 1000)
tiff("open-3G.tif", '<?xpacket begin=""?><x:xmpmeta>', 3 << 30)
PY

measure() {  # measure COMMAND...: seconds, peak MB and bytes printed of one run
  local out="$scratch/out" time="$scratch/time" seconds kb
  /usr/bin/time -f '%e %M' -o "$time" "$@" >"$out" 2>&1 || true
  read -r seconds kb < <(tail -n 1 "$time")
  echo "$seconds $((kb / 1024)) $(stat -c %s "$out")"
}

printf '%-16s %-28s %9s %8s %12s %9s\n' file tool seconds peak_MB printed vs_exiftool
for file in entity.tif keywords.tif open-300M.tif open-3G.tif; do
  peer="$scratch/${file%.tif}.xmp"
  [ -f "$peer" ] || peer="$scratch/$file"
  read -r base_s base_mb base_out < <(measure exiftool -XMP:all "$peer")
  printf '%-16s %-28s %9s %8s %12s %9s\n' "$file" exiftool "$base_s" "$base_mb" "$base_out" 1
  for tool in "$@"; do
    read -r s mb out < <(HOME="$home" measure "$tool" show --settings "$home/settings.ini" "$scratch/$file")
    ratio=$(awk -v a="$s" -v b="$base_s" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')
    printf '%-16s %-28s %9s %8s %12s %9s\n' "$file" "$(basename "$(dirname "$(dirname "$tool")")")/$(basename "$tool")" "$s" "$mb" "$out" "$ratio"
  done
done
