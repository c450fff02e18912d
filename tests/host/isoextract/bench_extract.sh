#!/bin/sh
# Extraction speed and memory of the host build of the ISO tool over a large
# WIM-sized file: prints MB/s and the peak resident size, which stays near the
# tool's 1 MiB copy buffer whatever the size of the file.
#   tests/host/isoextract/bench_extract.sh BUILD_DIR [SIZE_MB]
set -eu
build=$1
size=${2:-256}
tool=$build/tools/isoextract/isoextract
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src/BOOT" "$work/out"
head -c "$((size * 1024 * 1024))" /dev/urandom >"$work/src/BOOT/KRP8PE6L.WIM"
xorriso -as mkisofs -J -R -quiet -o "$work/KRP8PE6F.ISO" "$work/src" >/dev/null 2>&1
rm -f "$work/src/BOOT/KRP8PE6L.WIM"
sync
start=$(date +%s.%N)
/usr/bin/time -f '%M' -o "$work/rss" "$tool" -silent -in "$work/KRP8PE6F.ISO" -get /BOOT/KRP8PE6L.WIM \
  -unattend -extract "$work/out"
end=$(date +%s.%N)
test "$(stat -c %s "$work/out/KRP8PE6L.WIM")" -eq "$((size * 1024 * 1024))"
awk -v s="$size" -v a="$start" -v b="$end" -v rss="$(cat "$work/rss")" \
  'BEGIN { t = b - a; printf "extracted %d MB in %.2f s: %.0f MB/s, peak RSS %d KB\n", s, t, s / t, rss }'
