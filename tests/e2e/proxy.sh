# The image host behind a proxy, for the end-to-end proxy cases.
#
#   e2e_proxy_start DIR     tinyproxy (Debian) on 127.0.0.2 (a free port): its
#                           only way to the image host "images.lumora.test", a
#                           name nothing resolves, is the image server, its
#                           upstream for that domain. Sets X_PROXY (host:port),
#                           X_LOG (the requests it relayed), X_URL (the image
#                           host as the program sees it, http://images.lumora.test).
#   e2e_proxy_stop          ends it (the settings stay: a proxy that is gone)
#   e2e_internet_proxy HOST:PORT BYPASS
#                           Internet Options of the machine: that proxy, "Use a
#                           proxy server" ticked, nothing automatic
#
# The proxy listens on 127.0.0.2 rather than the server's 127.0.0.1: Wine's
# WinHTTP writes the absolute request line a proxy needs only when the proxy's
# host name differs from the server's.

e2e_proxy_start() {
  X_DIR=$1
  mkdir -p "$X_DIR"
  local port
  port=$(e2e_free_port)
  cat >"$X_DIR/tinyproxy.conf" <<CONF
Port $port
Listen 127.0.0.2
Timeout 60
LogFile "$X_DIR/proxy.log"
LogLevel Connect
PidFile "$X_DIR/tinyproxy.pid"
MaxClients 64
Allow 127.0.0.0/8
Upstream http 127.0.0.1:${S_URL##*:} ".lumora.test"
CONF
  : >"$X_DIR/proxy.log"
  tinyproxy -c "$X_DIR/tinyproxy.conf" </dev/null >/dev/null 2>&1 || return 1
  X_PROXY=127.0.0.2:$port X_LOG=$X_DIR/proxy.log X_URL=http://images.lumora.test
  local _
  for _ in $(seq 50); do
    if curl -fsI -o /dev/null -x "$X_PROXY" "$X_URL/a/SHA256SUMS"; then
      # The probe is not a request of the program: the server's log starts
      # empty. nginx writes a request's line once the answer has gone out,
      # which may be after curl has it, so the line is waited for first.
      local _w
      for _w in $(seq 50); do grep -q 'SHA256SUMS' "$S_ACCESS" 2>/dev/null && break; sleep 0.1; done
      : >"$S_ACCESS"
      return 0
    fi
    sleep 0.1
  done
  e2e_say "tinyproxy did not relay to the image server: $(tail -3 "$X_DIR/proxy.log")"
  return 1
}

e2e_proxy_stop() {
  [ -n "${X_DIR:-}" ] && [ -f "$X_DIR/tinyproxy.pid" ] || return 0
  local pid _
  pid=$(cat "$X_DIR/tinyproxy.pid")
  [ "$(ps -o comm= -p "$pid" 2>/dev/null)" = tinyproxy ] && kill "$pid" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  rm -f "$X_DIR/tinyproxy.pid"
}

# Internet Options keep the connection settings as one binary value, which
# WinHTTP (and Wine's) reads: version, change counter, flags (1 direct, 2
# manual proxy, 4 script, 8 detection), the proxy, the bypass list and the
# script address as length and text, then fields read by no one here.
e2e_internet_proxy() {
  local hex
  hex=$(python3 - "$1" "$2" <<'PY'
import struct, sys
blob = struct.pack("<III", 0x46, 2, 1 | 2)
for text in (sys.argv[1], sys.argv[2], ""):
    blob += struct.pack("<I", len(text)) + text.encode()
print((blob + bytes(32)).hex())
PY
)
  e2e_wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Connections' \
    /v DefaultConnectionSettings /t REG_BINARY /d "$hex" /f >/dev/null 2>&1
}
