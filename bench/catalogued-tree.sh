# Sourced by the benchmarks that need a large catalogued tree: small JPEGs with an XMP title, hard
# links of one file in folders of 1,000 (a file takes a limited number of links), and an embedded
# SQLite catalogue that has scanned them once.

# make_linked_tree TREE FILES: TREE/photos/f<k>/p<i>.jpg and TREE/sample.jpg, made once per TREE.
make_linked_tree() {
  local tree=$1 files=$2 i folder first
  [ -e "$tree/.complete" ] && return 0
  echo "making $files files in $tree" >&2
  rm -rf "$tree" && mkdir -p "$tree"
  convert -size 64x48 xc:steelblue "$tree/sample.jpg"
  exiftool -q -overwrite_original -XMP-dc:Title="Harbour" "$tree/sample.jpg"
  for ((i = 0; i < files; ++i)); do
    folder="$tree/photos/f$((i / 1000))"
    if [ $((i % 1000)) -eq 0 ]; then
      mkdir -p "$folder"
      cp "$tree/sample.jpg" "$folder/p$i.jpg"
      first="$folder/p$i.jpg"
    else
      ln "$first" "$folder/p$i.jpg"
    fi
  done
  touch "$tree/.complete"
}

# catalogue_tree HOME TESSARINE TREE: a fresh catalogue and settings in HOME (HOME/settings.ini)
# whose folders table lists TREE/photos, scanned once.
catalogue_tree() {
  local home=$1 tessarine=$2 tree=$3
  rm -rf "$home" && mkdir -p "$home"
  printf '[ODBC]\nDriver=SQLite3\nDatabase=%s\n' "$home/catalogue.sqlite" >"$home/catalogue.dsn"
  printf '[Connection]\nDSN=%s\nFileDSN=1\n[Database]\nDBMS=3\n' "$home/catalogue.dsn" >"$home/settings.ini"
  "$tessarine" db create --yes --settings "$home/settings.ini" >/dev/null 2>&1
  "$tessarine" folders add "$tree/photos" --settings "$home/settings.ini" >/dev/null 2>&1
  "$tessarine" scan --settings "$home/settings.ini" >/dev/null 2>&1
}
