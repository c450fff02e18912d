# Shared settings of the end-to-end scripts, and Wine's (scripts/wine-env.sh:
# WINE_SERVER, WINE_CAN32, wine_server_stop).
#
#   e2e_init REPO [WORK]   WORK defaults to REPO/build/e2e
#
# E2E_CAN32 is 1 when this machine runs 32-bit Windows programs (wine32).

# shellcheck source=scripts/wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"

e2e_say() { printf '%s\n' "$*" >&2; }

e2e_init() {
  E2E_REPO=$(cd "$1" && pwd)
  E2E_WORK=${2:-$E2E_REPO/build/e2e}
  mkdir -p "$E2E_WORK"
  E2E_WORK=$(cd "$E2E_WORK" && pwd)
  E2E_CAN32=$WINE_CAN32
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
}

# A Windows path for a host path (Wine's Z: is the host's /).
e2e_winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# A TCP port on 127.0.0.1 nobody listens on right now.
e2e_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}
