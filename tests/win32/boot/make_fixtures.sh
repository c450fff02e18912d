#!/usr/bin/env bash
# Writes the source files and the archives the Windows-side boot tests
# extract: make_fixtures.sh OUTDIR
set -euo pipefail
out=$1
rm -rf "$out" && mkdir -p "$out/src"
cd "$out/src"
python3 - <<'PY'
import random
r = random.Random(7)
def mixed(n):
    return bytes(r.randrange(256) if (i // 4096) % 2 else b"lumora boot "[i % 12] for i in range(n))
open("wvldr", "wb").write(mixed(269869))
open("wvldr.mbr", "wb").write(mixed(9216))
ima = bytearray(4423680)
ima[512:512 + 100000] = mixed(100000)
open("Varnix.ima", "wb").write(bytes(ima))
PY
files=(wvldr wvldr.mbr Varnix.ima)
zip -q -X -P J5RT8WQ3 "$out/infozip.zip" "${files[@]}"
zip -q -X -fd -P J5RT8WQ3 "$out/infozip_descriptors.zip" "${files[@]}"
7z a -bd -bso0 -tzip -mem=ZipCrypto -pJ5RT8WQ3 "$out/7z.zip" "${files[@]}"
touch "$out/stamp"
