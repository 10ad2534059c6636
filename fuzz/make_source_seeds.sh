#!/bin/sh
# Writes the seeds of the source's fuzz targets from the samples: the start of
# a log in each encoding and line end (source_text), and small archives and
# compressed files of it made by the ordinary tools and make_lzh
# (source_archive). Run from the project's folder with make_lzh's path:
#   sh fuzz/make_source_seeds.sh build/tests/make_lzh
set -eu
lzh=$(realpath "$1")
text=fuzz/corpus/source_text
arc=fuzz/corpus/source_archive
mkdir -p "$text" "$arc"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -n 8 samples/fsoft_9605.log > "$work/log"
for codec in CP932 EUC-JP-MS ISO-2022-JP-3 UTF-8 UTF-16; do
  iconv -f CP932 -t $codec "$work/log" > "$text/seed_$codec" || true
done
tr -d '\r' < "$work/log" > "$text/seed_lf"
tr -d '\n' < "$work/log" > "$text/seed_cr"
cp "$work/log" "$work/a.log"
(cd "$work" && zip -q -X a.zip a.log && bsdtar -czf a.tgz a.log && bsdtar --format 7zip -cf a.7z a.log &&
  gzip -nc a.log > a.gz && xz -c a.log > a.xz && bsdtar -cf a.tar a.log)
for f in a.zip a.tgz a.7z a.gz a.xz a.tar; do cp "$work/$f" "$arc/seed_$f"; done
"$lzh" -lh5- 1 "$arc/seed_a.lzh" "$work/a.log" "$(printf '\203\215\203O.log')"
"$lzh" -lh0- 2 "$arc/seed_a0.lzh" "$work/a.log" a.log
