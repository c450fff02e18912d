#!/usr/bin/env bash
# Downloads cut short and taken up again: the real Lumora.exe under Wine on
# the win7 machine, row 3 (Windows 7 64-bit), whose image is a 32 MiB file
# served at 96 KiB/s per connection (about 45 seconds with the engine's eight
# connections), so that a download can be cut part way and what is left is
# large next to the few pieces a resumed run's splits may cut.
#
#   resume_test.sh CASE Lumora.exe FerroYX.exe WORK-DIR
#
# Cases:
#   quit     the first run is quit from the tray once the partial file's state
#            shows 45 % of the image; the second run asks the server only for
#            what that state does not prove (at most 1.1 x) and installs; a
#            third run finds the image complete and checked, asks for none of
#            its bytes and installs again
#   kill     the same first two runs, the first one's Wine process killed
#            with SIGKILL instead of quit
#   changed  the first run quit as in "quit"; before the second the server's
#            image is replaced by another one (another length, so another
#            ETag); the second run starts over and ends with the new image
#
# Each run that installs reaches the finish page with the image byte for
# byte the server's and no partial files beside it. The prefix and the
# report stay in WORK-DIR/resume-CASE when a check fails.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=/dev/null
. "$here/lib.sh"

[ $# = 4 ] || { echo "usage: resume_test.sh CASE Lumora.exe FerroYX.exe WORK-DIR" >&2; exit 2; }
case_name=$1 exe=$2 tool=$3 work=$4
case $case_name in
  quit | kill | changed) ;;
  *) echo "unknown case $case_name" >&2; exit 2 ;;
esac
row=3
mkdir -p "$work"
e2e_init "$here/../.." "$work"
e2e_profile win7 || exit 2
dir=$E2E_WORK/resume-$case_name

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

e2e_run_begin "$exe" "$tool" "$dir/prefix" "$dir/run" || { echo "FAIL: the machine or the server could not be made"; exit 1; }
image=$(e2e_catalogue_files | sed -n "${row}p")
e2e_big_image "$image" 32 1 || { echo "FAIL: the big image could not be made"; exit 1; }
uri=/big/a/$image
served_file=$S_DIR/www/big/a/$image
target=$M_DDIR/ZqGhost/$image
target_win="D:\\ZqGhost\\$image"

# What the partial file's state claims ("present TOTAL": bytes outside its
# missing ranges) and what it proves: "proved TOTAL", the bytes of every
# proof whose CRC-32 matches the data file, read here independently.
state_of() {
  python3 - "$target.td" "$target.td.cfg" <<'PY'
import sys, zlib
data_path, cfg_path = sys.argv[1], sys.argv[2]
try:
    lines = open(cfg_path, encoding="utf-8", errors="replace").read().splitlines()
except OSError:
    print("0 0 0"); sys.exit()
total, missing, proofs = 0, 0, []
for line in lines:
    key, _, value = line.partition("=")
    if key == "total":
        total = int(value)
    elif key == "missing":
        a, b = map(int, value.split())
        missing += b - a
    elif key == "proof":
        a, b, crc = value.split()
        proofs.append((int(a), int(b), int(crc, 16)))
proved = 0
try:
    with open(data_path, "rb") as data:
        for a, b, crc in proofs:
            data.seek(a)
            if zlib.crc32(data.read(b - a)) == crc:
                proved += b - a
except OSError:
    pass
print(total - missing if total else 0, proved, total)
PY
}

# Waits (up to SECONDS) until the state claims at least PERCENT of the image.
wait_share() {
  local percent=$1 limit=$2 start=$SECONDS present proved total
  while [ $((SECONDS - start)) -lt "$limit" ] && e2e_lumora_running; do
    read -r present proved total < <(state_of)
    if [ "$total" -gt 0 ] && [ $((present * 100)) -ge $((total * percent)) ]; then
      e2e_step "partial file" "its state shows $present of $total bytes after $((SECONDS - start))s"
      return 0
    fi
    sleep 0.2
  done
  e2e_step "partial file" "failed: its state never showed ${percent}% of the image within ${limit}s"
  return 1
}

# The Linux process of the program under Wine (Wine names it after the .exe).
lumora_pid() { pgrep -x Lumora.exe | while read -r pid; do
  grep -qF "WINEPREFIX=$M_PREFIX" "/proc/$pid/environ" 2>/dev/null && echo "$pid"; done | head -1; }

# Waits up to SECONDS for the program to end.
wait_gone() {
  local limit=$1 start=$SECONDS
  while [ $((SECONDS - start)) -lt "$limit" ] && e2e_lumora_running; do sleep 0.3; done
  ! e2e_lumora_running
}

# One run that installs the row, to the finish page (the boot prepared; the
# recorded restart after its countdown is the other cases' to check). With
# the image already there, the install button leads past the download page
# at once.
install_run() {
  local at
  e2e_start_lumora "$R_EXE" "$S_URL_BIG"
  e2e_drive_to_list || return 1
  if [ "${1:-}" = downloaded ]; then
    at=$(e2e_install_button_at "$row") || { e2e_step "install" "failed: no install button for row $row"; return 1; }
    # shellcheck disable=SC2086
    e2e_click $at
    e2e_step "install" "row $row clicked, its image already on D:"
  else
    e2e_drive_install "$row" || return 1
  fi
  if ! e2e_wait_page finish 150; then
    e2e_shot 05-no-finish
    e2e_step "finish page" "failed: the window shows '$R_PAGE'"
    return 1
  fi
  e2e_shot 05-finish
  e2e_step "finish page" "reached (screenshot 05-finish.png)"
  # The machine's programs are ended before the next run.
  e2e_stop_wine
  wait "$R_PID" 2>/dev/null
  return 0
}

# The image where the program put it is the server's, with nothing beside it,
# and the run checked it: after its download ("SHA256校验通过"), or before
# taking it as already there (CHECK-LINE).
check_image() {
  local what=$1 check=${2:-SHA256校验通过}
  if cmp -s "$target" "$served_file"; then ok "$what: the image on D: is the server's"; else fail "$what: the image on D: is not the server's"; fi
  [ -e "$target.td" ] || [ -e "$target.td.cfg" ] && fail "$what: partial files left beside the image"
  grep -qF "$check" <<<"$(e2e_run_log)" || fail "$what: no \"$check\" in the run log"
}

# ---- the first run: cut part way
e2e_say "== $case_name, first run: Lumora.exe on display $R_DISPLAY, LUMORA_BASE_URL=$S_URL_BIG"
e2e_start_lumora "$R_EXE" "$S_URL_BIG"
cut_ok=0
if e2e_drive_to_list && e2e_drive_install "$row" && wait_share 45 60; then
  if [ "$case_name" = kill ]; then
    pid=$(lumora_pid)
    if [ -n "$pid" ] && kill -KILL "$pid"; then
      e2e_step "kill" "SIGKILL sent to the program's process $pid"
      wait_gone 20 && cut_ok=1
    else
      e2e_step "kill" "failed: no process named Lumora.exe in this prefix"
    fi
  elif e2e_tray_menu_click last 04-tray-menu; then
    e2e_step "tray menu" "退出 clicked during the download"
    wait_gone 20 && cut_ok=1
  else
    e2e_step "tray menu" "failed: $R_WAIT_WHY"
  fi
fi
first_log=$(e2e_run_log)
[ $cut_ok = 1 ] || fail "the first run was not cut part way as the case needs (see steps)"
read -r present proved total < <(state_of)
echo "after the first run: the state shows $present bytes present, proves $proved, of $total"
[ -e "$target.td" ] && [ -e "$target.td.cfg" ] || fail "no partial files left by the first run"
[ -e "$target" ] && fail "the first run left a file at the target itself"
[ "$total" = "$(stat -c %s "$served_file")" ] || fail "the state's length $total is not the image's"
[ $((proved * 100)) -ge $((total * 40)) ] && [ "$proved" -lt "$total" ] ||
  fail "the first run proved $proved of $total bytes (not 40 % or more, and not all)"
if [ "$case_name" != kill ]; then
  # A quit stops the task: everything that arrived is written out and proved.
  [ "$proved" = "$present" ] || fail "after the quit the state proves $proved of the $present bytes it shows"
  grep -qF "[Download Stop] $target_win.td" <<<"$first_log" || fail "no \"[Download Stop] $target_win.td\" in the first run's log"
fi
remainder=$((total - proved))

if [ "$case_name" = changed ]; then
  # Another image of another length: nginx's ETag and Last-Modified change.
  e2e_big_image "$image" 32 7 || fail "the image could not be replaced"
  remainder=$(stat -c %s "$served_file")
fi

# ---- the second run: resumes (or starts over) and installs, at the same
# rate (a faster server sends more ahead of a request that a split cuts)
since=$(date +%s.%N)
e2e_say "== $case_name, second run"
if install_run; then ok "second run: installed to the finish page"; else fail "second run: did not reach the finish page (see steps)"; fi
second_log=$(e2e_run_log)
grep -qF "[Download Resume] $target_win.td" <<<"$second_log" || fail "no \"[Download Resume] $target_win.td\" in the second run's log"
second=$(e2e_served_bytes "$uri" "$since")
echo "second run: the server sent $second bytes of the image, the remainder was $remainder"
if [ "$case_name" = changed ]; then
  [ "$second" -ge "$remainder" ] || fail "the changed image was not fetched whole ($second of $remainder bytes)"
else
  [ "$second" -ge "$remainder" ] && [ $((second * 10)) -le $((remainder * 11)) ] ||
    fail "the second run fetched $second bytes for a remainder of $remainder (not within 1.0 to 1.1 times)"
fi
check_image "second run"

# ---- a third run finds the image complete and checked
if [ "$case_name" = quit ]; then
  since=$(date +%s.%N)
  e2e_say "== $case_name, third run"
  if install_run downloaded; then ok "third run: installed to the finish page"; else fail "third run: did not reach the finish page (see steps)"; fi
  third=$(e2e_served_bytes "$uri" "$since")
  [ "$third" = 0 ] || fail "the third run fetched $third bytes of a complete, checked image"
  check_image "third run" "已下载并校验通过，不再下载：$target_win"
fi

e2e_run_end "resume-$case_name: $([ $failures = 0 ] && echo passed || echo "FAILED (see steps)")" >"$dir/report.txt"
if [ $failures = 0 ]; then
  rm -rf "$dir/prefix"
  echo "resume-$case_name: passed (report in $dir/report.txt)"
  exit 0
fi
echo "resume-$case_name: $failures check(s) failed; report and prefix kept in $dir"
exit 1
