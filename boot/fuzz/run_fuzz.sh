#!/usr/bin/env bash
# Builds the zip reader's fuzz target in its own clang tree, seeds a corpus
# with small archives from Info-ZIP and 7-Zip and runs libFuzzer.
#   boot/fuzz/run_fuzz.sh [seconds]      (default 60)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
tree=$repo/build/boot-fuzz
seconds=${1:-60}

CC=clang CXX=clang++ cmake -S "$repo" -B "$tree" -G Ninja -DLUMORA_FUZZ=ON >/dev/null
cmake --build "$tree" --target fuzz_zip_archive -j2 >/dev/null

corpus=$tree/zip-corpus
if [ ! -d "$corpus" ]; then
  mkdir -p "$corpus" && work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
  (cd "$work" && printf 'lumora boot %.0s' $(seq 40) > wvldr && head -c 300 /dev/urandom > Varnix.ima &&
   : > empty &&
   zip -q -X -P J5RT8WQ3 "$corpus/deflate.zip" wvldr Varnix.ima empty &&
   zip -q -X -fd -P J5RT8WQ3 "$corpus/descriptors.zip" wvldr Varnix.ima &&
   zip -q -X -0 -fd -P J5RT8WQ3 "$corpus/stored.zip" wvldr &&
   zip -q -X "$corpus/plain.zip" wvldr &&
   7z a -bd -bso0 -tzip -mem=ZipCrypto -pJ5RT8WQ3 "$corpus/7z.zip" wvldr Varnix.ima)
fi
"$tree/boot/fuzz_zip_archive" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 "$corpus"
