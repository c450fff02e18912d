#!/usr/bin/env bash
# Makes the boot chain tests' own Wine prefix (made on first use, then
# reused), so that the files they put on its C: never reach the shared
# prefix, and gives the Windows XP test program the Windows XP version.
#
#   bootchain_prefix.sh PREFIX SOURCE_DIR
set -euo pipefail
prefix=$1 src=$2
export LUMORA_WINEPREFIX=$prefix
"$src/scripts/wine-run" reg add 'HKCU\Software\Wine\AppDefaults\win_bootchain_winxp_test.exe' \
  /v Version /d winxp /f >/dev/null
