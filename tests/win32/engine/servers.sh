#!/usr/bin/env bash
# Starts (or stops) the HTTP servers that the Windows engine test fetches from:
# nginx from the Debian package and the scripted test server, both on free
# ports of 127.0.0.1. Writes the ports and the served files into DIR.
#   servers.sh start DIR SCRIPTED_SERVER_PY | servers.sh stop DIR
set -euo pipefail
cmd=$1 dir=$2

stop() {
  for f in "$dir/nginx/nginx.pid" "$dir/scripted.pid"; do
    [ -f "$f" ] && kill "$(cat "$f")" 2>/dev/null || true
    rm -f "$f"
  done
}

if [ "$cmd" = stop ]; then stop; exit 0; fi

stop
rm -rf "$dir"
mkdir -p "$dir/srv" "$dir/nginx" "$dir/out"
chmod 755 "$dir" "$dir/srv"
head -c $((8 << 20)) /dev/urandom >"$dir/srv/big.bin"
head -c $((3 << 20)) /dev/urandom >"$dir/srv/small.bin"
head -c $((3 << 20 + 4096)) /dev/urandom >"$dir/srv/small.bin.v2"
head -c $((1 << 20)) /dev/urandom >"$dir/srv/mib.bin"
head -c $((24 << 20)) /dev/urandom >"$dir/srv/pieces.bin"
: >"$dir/srv/empty.bin"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
cat >"$dir/nginx/nginx.conf" <<CONF
worker_processes 1;
error_log $dir/nginx/error.log;
pid $dir/nginx/nginx.pid;
events { worker_connections 256; }
http {
  access_log off;
  client_body_temp_path $dir/nginx; proxy_temp_path $dir/nginx; fastcgi_temp_path $dir/nginx;
  uwsgi_temp_path $dir/nginx; scgi_temp_path $dir/nginx;
  server { listen 127.0.0.1:$port; root $dir/srv; }
}
CONF
nginx -p "$dir/nginx" -c "$dir/nginx/nginx.conf"
echo "$port" >"$dir/nginx.port"

python3 "$3" "$dir/srv" >"$dir/scripted.port" 2>/dev/null &
echo $! >"$dir/scripted.pid"
for _ in $(seq 100); do [ -s "$dir/scripted.port" ] && break; sleep 0.05; done
[ -s "$dir/scripted.port" ]
