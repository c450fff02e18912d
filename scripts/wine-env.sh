# Where Wine is on this machine and what it can run, for every script and
# test that starts Windows programs. Sourced, not run:
#
#   . "$repo/scripts/wine-env.sh"
#
# WINE_SERVER  Debian's wineserver
# WINE_LOADER  the loader programs are started with: wine where it starts,
#              wine64 otherwise (then also exported as WINELOADER, so the
#              processes Wine starts by itself use the same one)
# WINE_CAN32   1 when this machine runs 32-bit Windows programs, else 0.
#              Debian's wine32 is an i386 program; some kernels refuse to
#              execute 32-bit code at all, and there only wine64 starts.
# WINE_TREE    the build tree whose Windows programs run here: win32 (the
#              shipped 32-bit build) where 32-bit code runs, else win64 (the
#              same sources built for x86_64)
#
#   wine_server_stop PREFIX [SECONDS]
#       ends the prefix's wineserver and everything running in it, and waits
#       up to SECONDS (default 30) for it to go. Nothing of the caller's
#       output or lock descriptors reaches Wine.

WINE_DIR=/usr/lib/wine
WINE_SERVER=$WINE_DIR/wineserver

# The answer is exported, so scripts started from this one do not ask again.
if [ "${WINE_CAN32:-}" != 0 ] && [ "${WINE_CAN32:-}" != 1 ]; then
  WINE_CAN32=0
  "$WINE_DIR/wine" --version >/dev/null 2>&1 && WINE_CAN32=1
fi
export WINE_CAN32

if [ "$WINE_CAN32" = 1 ]; then
  WINE_LOADER=$WINE_DIR/wine
  WINE_TREE=win32
else
  WINE_LOADER=$WINE_DIR/wine64
  WINE_TREE=win64
  export WINELOADER=$WINE_LOADER
fi

wine_server_stop() {
  WINEPREFIX=$1 "$WINE_SERVER" -k </dev/null >/dev/null 2>&1 9>&- || true
  WINEPREFIX=$1 timeout "${2:-30}" "$WINE_SERVER" -w </dev/null >/dev/null 2>&1 9>&- || true
}
