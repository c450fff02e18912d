#!/usr/bin/env bash
# Builds the zip reader optimised, makes an archive like the restore payload
# (Info-ZIP, traditional encryption) and prints the reader's throughput.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O2 -I"$repo" -o "$work/zip_bench" "$repo/boot/bench/zip_bench.cpp" \
  "$repo/boot/zip_archive.cpp" "$repo/boot/zip_crypto.cpp" -lz
cd "$work"
head -c 20000000 /dev/urandom > random.bin
python3 -c "import sys; sys.stdout.buffer.write(b''.join(b'%08d lumora boot payload line\n' % i for i in range(700000)))" > text.bin
zip -q -P J5RT8WQ3 deflated.zip random.bin text.bin
zip -q -0 -P J5RT8WQ3 stored.zip random.bin text.bin
echo "deflated: $("$work/zip_bench" deflated.zip J5RT8WQ3 5)"
echo "stored:   $("$work/zip_bench" stored.zip J5RT8WQ3 5)"
