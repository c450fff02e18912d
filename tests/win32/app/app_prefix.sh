#!/usr/bin/env bash
# Makes, once, the Wine prefix of the program's own tests: a machine that
# passes the start-up checks. Disk 0 is a sparse MBR image made by sfdisk and
# linked as dosdevices/physicaldrive0 (Wine calls C: partition 1 and D:
# partition 2 of disk 0, so the disk listing tool finds both), and D: is a
# folder beside the prefix.
#
#   app_prefix.sh PREFIX REPO
set -euo pipefail
prefix=$1
repo=$2
# shellcheck source=scripts/wine-env.sh
. "$repo/scripts/wine-env.sh"
base=${LUMORA_WINEPREFIX:-$repo/build/wineprefix}
mkdir -p "$(dirname "$prefix")"

# The project's prefix first (made once by wine-run), then a copy of it.
"$repo/scripts/wine-run" cmd /c exit 0 >/dev/null 2>&1 || true
(
  flock 9
  if [ ! -f "$prefix/.lumora-ready" ]; then
    rm -rf "$prefix"
    cp -a "$base" "$prefix"
    rm -f "$prefix/.lumora-server" "$prefix.display"
  fi
) 9>"$prefix.make.lock"
[ -f "$prefix/.lumora-ready" ] || { echo "no prefix at $prefix" >&2; exit 1; }

image=$prefix-disk0.img
want_c=$(( 60 * 1024 * 1024 * 2 ))   # sectors: C: 60 GiB
changed=0
if [ ! -f "$image" ]; then
  truncate -s 161G "$image"
  printf 'label: dos\nunit: sectors\nstart=2048, size=%s, type=7, bootable\ntype=7\n' "$want_c" |
    /usr/sbin/sfdisk --no-reread --no-tell-kernel "$image" >/dev/null
  changed=1
fi
mkdir -p "$prefix-drives/d"
for link in "$prefix"/dosdevices/*; do
  case "${link##*/}" in
    c: | z: | com* | physicaldrive0 | d:) ;;
    *) rm -f "$link"; changed=1 ;;
  esac
done
if [ "$(readlink "$prefix/dosdevices/physicaldrive0" 2>/dev/null)" != "$image" ]; then
  ln -sfn "$image" "$prefix/dosdevices/physicaldrive0"
  changed=1
fi
if [ "$(readlink "$prefix/dosdevices/d:" 2>/dev/null)" != "$prefix-drives/d" ]; then
  ln -sfn "$prefix-drives/d" "$prefix/dosdevices/d:"
  changed=1
fi
# Wine reads its drives when its server starts.
if [ $changed = 1 ]; then
  wine_server_stop "$prefix"
fi
