# The local image server: nginx from Debian on 127.0.0.1, on a free port,
# with its configuration, logs and files in a work folder. Under "/a/" it
# serves the seven catalogue images as small Ghost images (they begin with
# FE EF 01) and "KRP8PE6F.ISO", an ISO made by xorriso that holds
# /BOOT/KRP8PE6L.WIM (a small file that begins with the WIM magic). Byte
# ranges are answered (nginx does for static files), so the engine can use
# several connections per file.
#
#   e2e_server_start DIR    sets S_URL (base URL, no trailing slash), S_DIR
#   e2e_server_stop
#
# Beside the images, "/a/SHA256SUMS" lists their SHA-256 in sha256sum's
# format ("<64 hex>  <name>"), so the program can check what it downloaded.
#
# More base URLs serve the same files differently: S_URL_PACED sends each
# connection at most 256 KiB a second (a download takes a few seconds, long
# enough to see its page), S_URL_SLOW at most E2E_SLOW_RATE (default 16k), so
# a run can act while a download is going on; S_URL_GONE answers 404 for
# every file. Broken servers, each with no SHA256SUMS unless said:
#   S_URL_NOSUMS  the images at 64 KiB/s per response (the first second's
#                 allowance of eight connections is not the whole image, so
#                 the download page is seen), SHA256SUMS answered 404
#   S_URL_HTML    every file a 200 HTML login page (as a captive portal answers)
#   S_URL_EMPTY   every file 200 and empty
#   S_URL_BADSUM  the images at 64 KiB/s with a SHA256SUMS whose line for
#                 win7x64.gho is wrong (the others are right)
# S_ACCESS is nginx's access log: which files the program asked for.
#
# S_URL_BIG serves what e2e_big_image puts under www/big/a/ (an image large
# enough that a download can be cut and resumed) at E2E_BIG_RATE (default
# 96k) per connection. S_BYTES logs every request with what was served:
#   START-EPOCH URI STATUS BODY-BYTES "RANGE" "IF-RANGE"
# (the start is when the request came, so runs can be told apart), and
# e2e_served_bytes sums the bytes served for a path since a moment.

# The catalogue's image file names, read from the catalogue source so the
# server follows it.
e2e_catalogue_files() {
  grep -o '"[A-Za-z0-9]*\.gho"' "$E2E_REPO/catalogue/catalogue.cpp" | tr -d '"'
}

e2e_make_images() {
  local root=$1/a name
  mkdir -p "$root"
  local names
  names=$(e2e_catalogue_files)
  [ "$(wc -w <<<"$names")" = 7 ] || { e2e_say "expected 7 catalogue images, found: $names"; return 1; }
  for name in $names; do
    [ -s "$root/$name" ] && continue
    # A Ghost image header, then its name and filler: 2 MiB each, different
    # content per file so a mix-up shows.
    python3 - "$root/$name" <<'PY'
import hashlib, sys
path = sys.argv[1]
name = path.rsplit("/", 1)[1].encode()
body = bytearray(b"\xFE\xEF\x01" + name + b"\0")
seed = hashlib.sha256(name).digest()
while len(body) < 2 * 1024 * 1024:
    seed = hashlib.sha256(seed).digest()
    body += seed
open(path, "wb").write(body[: 2 * 1024 * 1024])
PY
  done
  if [ ! -s "$root/KRP8PE6F.ISO" ]; then
    local iso=$1/iso-root
    rm -rf "$iso"
    mkdir -p "$iso/BOOT"
    { printf 'MSWIM\0\0\0'; head -c 262136 /dev/zero | tr '\0' 'W'; } >"$iso/BOOT/KRP8PE6L.WIM"
    xorriso -as mkisofs -quiet -J -R -V KRP8PE -o "$root/KRP8PE6F.ISO" "$iso" 2>/dev/null ||
      { e2e_say "xorriso failed"; return 1; }
  fi
  # The check lists, made fresh each time: the images may have been kept.
  (cd "$root" && sha256sum -- *.gho KRP8PE6F.ISO >SHA256SUMS) || return 1
  mkdir -p "$1/badsum" "$1/portal"
  local wrong
  wrong=$(printf 'not the image' | sha256sum | cut -d' ' -f1)
  sed "s/^[0-9a-f]\{64\}  win7x64\.gho\$/$wrong  win7x64.gho/" "$root/SHA256SUMS" >"$1/badsum/SHA256SUMS"
  grep -q "^$wrong  win7x64\.gho\$" "$1/badsum/SHA256SUMS" || { e2e_say "no wrong line in the bad SHA256SUMS"; return 1; }
  cat >"$1/portal/login.html" <<'HTML'
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Sign in</title></head>
<body><form method="post" action="/login">
<p>Please sign in to use this network.</p>
<input name="user"> <input name="password" type="password"> <button>Sign in</button>
</form></body></html>
HTML
  : >"$1/portal/empty"
  chmod -R a+rX "$1"
}

e2e_server_start() {
  S_DIR=$1
  mkdir -p "$S_DIR/logs" "$S_DIR/tmp"
  e2e_make_images "$S_DIR/www" || return 1
  local port tries
  for tries in 1 2 3 4 5; do
    port=$(e2e_free_port)
    cat >"$S_DIR/nginx.conf" <<CONF
worker_processes 1;
pid $S_DIR/nginx.pid;
error_log $S_DIR/logs/error.log warn;
daemon on;
events { worker_connections 64; }
http {
  access_log $S_DIR/logs/access.log;
  log_format served '\$msec \$request_time \$uri \$status \$body_bytes_sent "\$http_range" "\$http_if_range"';
  access_log $S_DIR/logs/bytes.log served;
  client_body_temp_path $S_DIR/tmp/body;
  proxy_temp_path $S_DIR/tmp/proxy;
  fastcgi_temp_path $S_DIR/tmp/fastcgi;
  uwsgi_temp_path $S_DIR/tmp/uwsgi;
  scgi_temp_path $S_DIR/tmp/scgi;
  types { application/octet-stream gho iso; text/html html; }
  default_type application/octet-stream;
  sendfile on;
  server {
    listen 127.0.0.1:$port;
    root $S_DIR/www;
    location /a/ { }
    location /paced/a/ {
      alias $S_DIR/www/a/;
      limit_rate 256k;
    }
    location /slow/a/ {
      alias $S_DIR/www/a/;
      limit_rate ${E2E_SLOW_RATE:-16k};
    }
    location /gone/a/ { return 404; }
    location /nosums/a/ {
      alias $S_DIR/www/a/;
      limit_rate 64k;
    }
    location = /nosums/a/SHA256SUMS { return 404; }
    location /html/a/ { try_files /portal/login.html =404; }
    location = /html/a/SHA256SUMS { return 404; }
    location /empty/a/ { try_files /portal/empty =404; }
    location = /empty/a/SHA256SUMS { return 404; }
    location /badsum/a/ {
      alias $S_DIR/www/a/;
      limit_rate 64k;
    }
    location = /badsum/a/SHA256SUMS { alias $S_DIR/www/badsum/SHA256SUMS; }
    location /big/a/ {
      alias $S_DIR/www/big/a/;
      limit_rate ${E2E_BIG_RATE:-96k};
    }
  }
}
CONF
    rm -f "$S_DIR/nginx.pid"
    # nginx keeps no descriptor of ours once it runs as a daemon.
    if /usr/sbin/nginx -p "$S_DIR" -c "$S_DIR/nginx.conf" </dev/null >/dev/null 2>"$S_DIR/logs/start.err"; then
      S_URL=http://127.0.0.1:$port S_ACCESS=$S_DIR/logs/access.log
      S_URL_PACED=$S_URL/paced S_URL_SLOW=$S_URL/slow S_URL_GONE=$S_URL/gone
      S_URL_NOSUMS=$S_URL/nosums S_URL_HTML=$S_URL/html S_URL_EMPTY=$S_URL/empty
      S_URL_BADSUM=$S_URL/badsum S_URL_BIG=$S_URL/big S_BYTES=$S_DIR/logs/bytes.log
      local _
      for _ in $(seq 50); do
        # The probe is not a request of the program: the logs start empty,
        # emptied once nginx has written the probe's line (it writes after
        # the answer, so curl may be back before the line is there).
        if curl -fsI -o /dev/null "$S_URL/a/KRP8PE6F.ISO"; then
          local waited
          for waited in $(seq 50); do
            grep -q KRP8PE6F "$S_ACCESS" 2>/dev/null && grep -q KRP8PE6F "$S_BYTES" 2>/dev/null && break
            sleep 0.05
          done
          : >"$S_ACCESS" && : >"$S_BYTES" && return 0
        fi
        sleep 0.1
      done
      e2e_server_stop
    fi
  done
  e2e_say "nginx did not start: $(cat "$S_DIR/logs/start.err")"
  return 1
}

# e2e_big_image NAME MIB SEED: a Ghost image of MIB MiB (plus SEED bytes, so
# another seed is another length) under /big/a/, listed in its SHA256SUMS.
# Written beside and renamed, so the server never serves half a file.
e2e_big_image() {
  local name=$1 mib=$2 seed=$3 root=$S_DIR/www/big/a
  mkdir -p "$root"
  python3 - "$root/$name.new" "$mib" "$seed" <<'PY' || return 1
import random, sys
path, mib, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
size = mib * 1024 * 1024 + seed
with open(path, "wb") as out:
    out.write(b"\xFE\xEF\x01" + random.Random(seed).randbytes(size - 3))
PY
  mv -f "$root/$name.new" "$root/$name"
  chmod -R a+rX "$S_DIR/www/big"
  (cd "$root" && sha256sum -- "$name" >SHA256SUMS)
}

# e2e_served_bytes PATH SINCE: bytes served for PATH (a URI) by requests that
# came at SINCE (seconds since the epoch) or later.
e2e_served_bytes() {
  awk -v uri="$1" -v since="$2" '$3 == uri && $1 - $2 >= since { n += $5 } END { print n + 0 }' "$S_BYTES"
}

e2e_server_stop() {
  [ -n "${S_DIR:-}" ] && [ -f "$S_DIR/nginx.pid" ] || return 0
  local pid
  pid=$(cat "$S_DIR/nginx.pid")
  kill "$pid" 2>/dev/null || true
  local _
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  rm -f "$S_DIR/nginx.pid"
}
