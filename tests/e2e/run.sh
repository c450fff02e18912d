#!/usr/bin/env bash
# One end-to-end run: makes the machine of a profile, starts the image
# server and the display, runs Lumora.exe with LUMORA_BASE_URL pointing at
# the server, drives its pages as far as they go, and prints the report.
#
#   tests/e2e/run.sh --exe Lumora.exe --tool FerroYX.exe [--profile NAME]
#                    [--prefix DIR] [--out DIR] [--show]
#
# Exit code: 0 when the finish page was reached and the restart recorded;
# 3 when the run went as far as the program goes today but a later page is
# not reachable yet; 1 on a failure.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
for f in common profiles machine server session report steps; do
  # shellcheck source=/dev/null
  . "$here/$f.sh"
done

profile=win7 prefix="" out="" show="" exe="" tool=""
while [ $# -gt 0 ]; do
  case "$1" in
    --profile) profile=$2; shift 2 ;;
    --prefix) prefix=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --exe) exe=$2; shift 2 ;;
    --tool) tool=$2; shift 2 ;;
    --show) show=--show; shift ;;
    *) echo "usage: run.sh --exe EXE --tool FERROYX [--profile NAME] [--prefix DIR] [--out DIR] [--show]" >&2; exit 2 ;;
  esac
done
[ -f "$exe" ] && [ -f "$tool" ] || { echo "run.sh: --exe and --tool must name the built programs" >&2; exit 2; }
exe=$(realpath "$exe") tool=$(realpath "$tool")
e2e_init "$here/../.."
e2e_profile "$profile" || exit 2
E2E_PROGRAM_MACHINE=$(e2e_pe_machine "$exe")
prefix=${prefix:-$E2E_WORK/$profile/prefix}
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
R_DIR=${out:-$E2E_WORK/$profile/run}
rm -rf "$R_DIR"
mkdir -p "$R_DIR"
R_DIR=$(cd "$R_DIR" && pwd)
R_SHOTS=()

e2e_say "== machine: $P_TEXT (prefix $prefix)"
e2e_make_machine "$prefix" || exit 1
listing=$(e2e_disk_listing "$tool")
e2e_say "== image server"
e2e_server_start "$E2E_WORK/server-$profile" || exit 1
trap 'e2e_session_close; e2e_server_stop' EXIT
e2e_session_open $show
e2e_snapshot before
e2e_say "== Lumora.exe on display $R_DISPLAY, LUMORA_BASE_URL=$S_URL"
e2e_start_lumora "$exe"
e2e_drive_pages
result=$?
sleep 1
e2e_shot 99-last
log=$(e2e_run_log)
running=$(e2e_lumora_running && echo "still running" || echo "ended")
e2e_session_close
# The listing is taken with the program gone, so nothing it holds open is
# missed; its own window was ended with the session, not by the restart.
e2e_snapshot after

{
  echo "================ Lumora end-to-end report"
  echo "profile:   $P_NAME: $P_TEXT"
  echo "machine:   Windows $P_WINVER, ntdll.dll $P_NTDLL in $M_TEMP_WIN\\ntdll.dll, $M_ARCH prefix $M_PREFIX"
  [ -n "$M_NOTE" ] && echo "note:      $M_NOTE"
  echo "server:    $S_URL/a/ ($(e2e_catalogue_files | tr '\n' ' ')KRP8PE6F.ISO)"
  echo "program:   $exe ($running at the end of the run)"
  echo
  echo "---- steps"
  for s in "${R_STEPS[@]}"; do echo "  $s"; done
  echo
  echo "---- disk 0 as the carried FerroYX.exe lists it (-kelvast)"
  sed 's/^/  /' <<<"$listing"
  echo
  echo "---- run log (C:\\windows\\temp\\OrvekRun.LOG, decoded from GBK)"
  sed 's/^/  /' <<<"$log"
  echo
  echo "---- requests to the image server"
  if [ -s "$S_ACCESS" ]; then sed 's/^/  /' "$S_ACCESS"; else echo "  (none)"; fi
  echo
  echo "---- what changed on C: and D: (state, size, attributes, path)"
  e2e_report_changes
  echo
  echo "---- boot entries"
  e2e_report_boot
  echo
  echo "---- Ghost command file and hand-off files"
  e2e_report_handoff
  echo
  echo "---- restart"
  e2e_report_restart
  echo
  echo "---- screenshots"
  for s in "${R_SHOTS[@]}"; do echo "  $s"; done
  echo
  case $result in
    0) echo "result: the finish page was reached and the restart command recorded" ;;
    2) echo "result: INCOMPLETE - the program went as far as it goes today; the later pages are not reachable yet (see steps)" ;;
    *) echo "result: FAILED (see steps)" ;;
  esac
} | tee "$R_DIR/report.txt"
echo "$listing" >"$R_DIR/disk-listing.txt"
printf '%s\n' "$log" >"$R_DIR/run-log.txt"
case $result in 0) exit 0 ;; 2) exit 3 ;; *) exit 1 ;; esac
