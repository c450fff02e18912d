#!/bin/sh
# Makes the images the Windows test of the tools reads: a PE-like image with
# /BOOT/KRP8PE6L.WIM (made by xorriso) and a copy whose descriptor is broken.
set -eu
out=$1
rm -rf "$out"
mkdir -p "$out/src/BOOT" "$out/src/sub/deeper"
head -c 3000017 /dev/urandom >"$out/src/BOOT/KRP8PE6L.WIM"
printf 'deep\r\n' >"$out/src/sub/deeper/Readme.txt"
xorriso -as mkisofs -J -R -quiet -o "$out/KRP8PE6F.ISO" "$out/src" >/dev/null 2>&1
cp "$out/KRP8PE6F.ISO" "$out/broken.iso"
# "CD001" of the first volume descriptor becomes "XD001".
printf 'X' | dd of="$out/broken.iso" bs=1 seek=32769 conv=notrunc 2>/dev/null
