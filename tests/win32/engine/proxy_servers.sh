#!/usr/bin/env bash
# Starts (or stops) what the proxy tests of the engine reach, on free ports:
# the web server on 127.0.0.1, the proxies on 127.0.0.2. (Wine's WinHTTP
# writes the request line for a proxy, "GET http://host/path", only when the
# proxy's host name differs from the server's; with both on 127.0.0.1 it
# sends "GET /path" and the proxy cannot serve it.)
#   - nginx serving the files twice: under /via/ only to requests that came
#     through tinyproxy (its Via header; 403 to anyone else), under /open/ to
#     anyone; and proxy scripts (PAC) that name the proxies below;
#   - tinyproxy from the Debian package, logging every request it relays;
#   - a second tinyproxy that asks for a password (407 without one);
#   - a port of 127.0.0.2 where nothing listens (a proxy that refuses
#     connections).
# Writes each port into DIR/NAME.port and the proxy's log to DIR/proxy.log.
#   proxy_servers.sh start DIR | proxy_servers.sh stop DIR
set -euo pipefail
cmd=$1 dir=$2

stop() {
  for f in "$dir/nginx/nginx.pid" "$dir/proxy.pid" "$dir/authproxy.pid"; do
    [ -f "$f" ] && kill "$(cat "$f")" 2>/dev/null || true
    rm -f "$f"
  done
}

if [ "$cmd" = stop ]; then stop; exit 0; fi

stop
rm -rf "$dir"
mkdir -p "$dir/srv" "$dir/nginx" "$dir/out"
chmod 755 "$dir" "$dir/srv"
head -c $((6 << 20)) /dev/urandom >"$dir/srv/image.bin"

# Four distinct free ports, taken from the kernel at once.
read -r web proxy authproxy refused < <(python3 -c '
import socket
socks = [socket.socket() for _ in range(4)]
for s in socks: s.bind(("127.0.0.1", 0))
print(*[s.getsockname()[1] for s in socks])')

cat >"$dir/srv/proxy.pac" <<PAC
function FindProxyForURL(url, host) {
  if (host == "localhost") return "DIRECT";
  return "PROXY 127.0.0.2:$proxy; DIRECT";
}
PAC

cat >"$dir/nginx/nginx.conf" <<CONF
worker_processes 1;
error_log $dir/nginx/error.log;
pid $dir/nginx/nginx.pid;
events { worker_connections 256; }
http {
  access_log off;
  client_body_temp_path $dir/nginx; proxy_temp_path $dir/nginx; fastcgi_temp_path $dir/nginx;
  uwsgi_temp_path $dir/nginx; scgi_temp_path $dir/nginx;
  types { application/x-ns-proxy-autoconfig pac; }
  server {
    listen 127.0.0.1:$web;
    location /via/ {
      if (\$http_via !~ "tinyproxy") { return 403; }
      alias $dir/srv/;
    }
    location /open/ { alias $dir/srv/; }
    location / { root $dir/srv; }
  }
}
CONF
nginx -p "$dir/nginx" -c "$dir/nginx/nginx.conf"

proxy_conf() {  # NAME PORT [extra lines]
  cat >"$dir/$1.conf" <<TP
Port $2
Listen 127.0.0.2
Timeout 60
LogFile "$dir/$1.log"
LogLevel Connect
PidFile "$dir/$1.pid"
MaxClients 64
Allow 127.0.0.0/8
${3:-}
TP
  tinyproxy -c "$dir/$1.conf"
}
proxy_conf proxy "$proxy"
proxy_conf authproxy "$authproxy" "BasicAuth lumora secret"

echo "$web" >"$dir/web.port"
echo "$proxy" >"$dir/proxy.port"
echo "$authproxy" >"$dir/authproxy.port"
echo "$refused" >"$dir/refused.port"

# Ready when the proxy relays a request to nginx and the other one asks for
# its password.
for _ in $(seq 100); do
  curl -sf -x "127.0.0.2:$proxy" -o /dev/null "http://127.0.0.1:$web/via/proxy.pac" && break
  sleep 0.05
done
curl -sf -x "127.0.0.2:$proxy" -o /dev/null "http://127.0.0.1:$web/via/proxy.pac"
for _ in $(seq 100); do
  [ "$(curl -s -o /dev/null -w '%{http_code}' -x "127.0.0.2:$authproxy" "http://127.0.0.1:$web/open/proxy.pac")" = 407 ] && break
  sleep 0.05
done
