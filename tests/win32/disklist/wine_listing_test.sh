#!/usr/bin/env bash
# Runs the real FerroYX.exe under Wine against an MBR disk image made by
# sfdisk and linked as dosdevices/physicaldrive0, in a Wine prefix of its own
# (made once, by copying the project's prefix when it is ready). Wine answers
# C: as partition 1 and D: as partition 2 of disk 0, so both get attached by
# partition number with the host's free space.
#
#   wine_listing_test.sh FerroYX.exe work-dir repo-dir
set -uo pipefail
tool=$1 work=$2 repo=$3
# shellcheck source=scripts/wine-env.sh
. "$repo/scripts/wine-env.sh"
mkdir -p "$work"
prefix=$work/wineprefix
base=${LUMORA_WINEPREFIX:-$repo/build/wineprefix}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The prefix, made once.
(
  flock 9
  if [ ! -f "$prefix/.lumora-ready" ] && [ -f "$base/.lumora-ready" ]; then
    rm -rf "$prefix"
    cp -a "$base" "$prefix"
  fi
) 9>"$work/wineprefix.make.lock"
LUMORA_WINEPREFIX=$prefix "$repo/scripts/wine-run" cmd /c exit 0 >/dev/null 2>&1

# Wine reads its drives when its server starts: stop this prefix's server,
# then give the prefix exactly C:, D: and the disk image.
wine_server_stop "$prefix"
image=$work/disk0.img
rm -f "$image"
truncate -s 8G "$image"
printf 'label: dos\nunit: sectors\n%s\n%s\n%s\n%s\n%s\n' \
  'start=2048, size=4194304, type=7, bootable' \
  'size=2097152, type=c' \
  'type=f' \
  'size=2097152, type=17' \
  'size=1048576, type=83' |
  /usr/sbin/sfdisk --no-reread --no-tell-kernel "$image" >/dev/null || fail "sfdisk"
mkdir -p "$work/ddrive"
for link in "$prefix"/dosdevices/*; do
  case "${link##*/}" in c: | z: | com*) ;; *) rm -f "$link" ;; esac
done
ln -sfn "$image" "$prefix/dosdevices/physicaldrive0"
ln -sfn "$work/ddrive" "$prefix/dosdevices/d:"

cp "$tool" "$prefix/drive_c/FerroYX.exe"
run() {
  LUMORA_WINEPREFIX=$prefix "$repo/scripts/wine-run" 'C:\FerroYX.exe' "$@" >"$work/out" 2>"$work/err"
  echo $?
}

rc=$(run -kelvast)
[ "$rc" = 0 ] || fail "exit code $rc with -kelvast"
[ -s "$work/err" ] && fail "standard error: $(cat "$work/err")"
# The C runtime writes text mode: every line ends in CR LF.
[ "$(grep -c $'\r$' "$work/out")" = "$(wc -l <"$work/out")" ] || fail "lines do not end in CR LF"
tr -d '\r' <"$work/out" >"$work/lines"

# Free space is the host's, read at the same moment; others write to this
# disk, so allow some slack around it.
free_ok() {
  python3 - "$1" "$2" <<'PY'
import os, sys
got = float(sys.argv[1].removesuffix("GB"))
st = os.statvfs(sys.argv[2])
lo = min(st.f_bavail, st.f_bfree) * st.f_frsize / 2**30 - 2
hi = max(st.f_bavail, st.f_bfree) * st.f_frsize / 2**30 + 2
sys.exit(0 if sys.argv[1].endswith("GB") and lo <= got <= hi else 1)
PY
}

T=$'\t'
expected=(
  "1:1${T}C:${T}2.00GB${T}*${T}Primary${T}NTFS${T}${T}MBR${T}1"
  "1:2${T}D:${T}1.00GB${T}*${T}Primary${T}NTFS${T}${T}MBR${T}0"
  "1:3${T}  ${T}1.00GB${T}unknown${T}Logical${T}hidden_NTFS${T}${T}MBR${T}0"
  "1:4${T}  ${T}0.50GB${T}unknown${T}Logical${T}Linux${T}${T}MBR${T}0"
)
mapfile -t got <"$work/lines"
[ "${#got[@]}" = "${#expected[@]}" ] || fail "expected ${#expected[@]} lines, got ${#got[@]}"
dirs=("$prefix/drive_c" "$work/ddrive" "" "")
for i in "${!expected[@]}"; do
  line=${got[$i]:-}
  want=${expected[$i]}
  if [ "${want/\*/}" != "$want" ]; then
    # Everything but the free-space field exactly; that one against the host.
    free=$(awk -F'\t' '{print $4}' <<<"$line")
    masked=$(awk -F'\t' -v OFS='\t' '{$4="*"; print}' <<<"$line")
    [ "$masked" = "$want" ] || fail "line $((i + 1)): expected '$want', got '$line'"
    free_ok "$free" "${dirs[$i]}" || fail "line $((i + 1)): free space $free is not the host's"
  else
    [ "$line" = "$want" ] || fail "line $((i + 1)): expected '$want', got '$line'"
  fi
done

# Any other command line prints nothing and ends with exit code 1.
for args in "" "-KELVAST" "-list" "kelvast"; do
  # shellcheck disable=SC2086
  rc=$(run $args)
  [ "$rc" = 1 ] || fail "exit code $rc for '$args'"
  [ -s "$work/out" ] && fail "output for '$args': $(cat "$work/out")"
done

if [ $failures -ne 0 ]; then
  echo "output was:"; cat "$work/lines"
  exit 1
fi
echo "FerroYX under Wine: all checks passed"
