#!/usr/bin/env bash
# Builds the disk listing fuzzer with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in its own tree and runs it for a bounded time.
#
#   tools/disklist/fuzz/run-fuzz.sh [seconds] [build-dir]
#
# Seeds are disk images made by sfdisk and sgdisk (only their first sectors).
# Prints the fuzzer's last status line; exits non-zero when it found a crash.
set -euo pipefail
seconds=${1:-60}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../../.." && pwd)
build=${2:-$repo/build/disk-fuzz}

CC=clang CXX=clang++ cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target disklist_fuzz -j2 >/dev/null

corpus=$build/disklist-corpus
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  seeds=$(mktemp -d)
  trap 'rm -rf "$seeds"' EXIT
  truncate -s 64M "$seeds/mbr" "$seeds/gpt"
  printf 'label: dos\nstart=2048, size=20480, type=7, bootable\nsize=20480, type=17\ntype=f\nsize=8192, type=b\nsize=8192, type=83\n' |
    /usr/sbin/sfdisk --no-reread --no-tell-kernel "$seeds/mbr" >/dev/null 2>&1
  /usr/sbin/sgdisk -n 1:2048:+4M -t 1:ef00 -n 2:0:+1M -t 2:0c01 -n 3:0:+8M -t 3:0700 -n 4:0:+4M -t 4:8200 \
    "$seeds/gpt" >/dev/null 2>&1
  # The first byte picks the sector size (bits 0 and 2) and whether the disk
  # tells its length (bit 1); then the first 96 KiB of the image.
  { printf '\x02'; head -c 98304 "$seeds/mbr"; } >"$corpus/mbr"
  { printf '\x02'; head -c 98304 "$seeds/gpt"; } >"$corpus/gpt"
  { printf '\x00'; head -c 8192 "$seeds/mbr"; } >"$corpus/mbr-nolength"
fi

log=$build/disklist-fuzz.log
set +e
# One input runs in milliseconds; the generous timeout only allows for a
# machine busy with other work.
"$build/tools/disklist/disklist_fuzz" -max_total_time="$seconds" -max_len=131072 -timeout=30 \
  -artifact_prefix="$build/disklist-" -print_final_stats=1 "$corpus" >"$log" 2>&1
rc=$?
set -e
grep -E '^#[0-9]+.*(DONE|pulse|NEW)' "$log" | tail -1 || true
grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
if [ $rc -ne 0 ]; then
  grep -E 'ERROR|SUMMARY|Test unit written' "$log" || tail -20 "$log"
fi
exit $rc
