#!/usr/bin/env bash
# Makes, once, the Wine prefix of the drive tests: D:, X: and Y: linked to
# folders beside it. Wine numbers the drives when its server starts, so a
# server already running for that prefix is ended after the links are made.
#
#   drives_prefix.sh PREFIX REPO
set -euo pipefail
prefix=$1
repo=$2
# shellcheck source=scripts/wine-env.sh
. "$repo/scripts/wine-env.sh"
export LUMORA_WINEPREFIX=$prefix
"$repo/scripts/wine-run" cmd /c exit 0 >/dev/null 2>&1 || true
[ -d "$prefix/dosdevices" ] || { echo "no prefix at $prefix" >&2; exit 1; }
changed=0
for l in d x y; do
  mkdir -p "$prefix-drives/$l"
  if [ "$(readlink "$prefix/dosdevices/$l:" 2>/dev/null)" != "$prefix-drives/$l" ]; then
    ln -sfn "$prefix-drives/$l" "$prefix/dosdevices/$l:"
    changed=1
  fi
done
if [ $changed = 1 ]; then
  wine_server_stop "$prefix"
fi
