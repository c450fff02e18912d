#!/usr/bin/env bash
# One end-to-end run: makes the machine of a profile, starts the image
# server and the display, runs Lumora.exe with LUMORA_BASE_URL pointing at
# the server, drives its pages to the recorded restart (the recommended
# row's install button), and prints the report.
#
#   tests/e2e/run.sh --exe Lumora.exe --tool FerroYX.exe [--profile NAME]
#                    [--prefix DIR] [--out DIR] [--show]
#
# Exit code: 0 when the finish page was reached and the restart recorded;
# 1 otherwise.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=/dev/null
. "$here/lib.sh"

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
e2e_init "$here/../.."
e2e_profile "$profile" || exit 2
prefix=${prefix:-$E2E_WORK/$profile/prefix}
out=${out:-$E2E_WORK/$profile/run}

e2e_run_begin "$exe" "$tool" "$prefix" "$out" $show || exit 1
# The paced server: the download takes a few seconds, so its page is seen.
e2e_say "== Lumora.exe on display $R_DISPLAY, LUMORA_BASE_URL=$S_URL_PACED"
e2e_start_lumora "$R_EXE" "$S_URL_PACED"
e2e_drive_pages
result=$?
if [ $result = 0 ]; then
  e2e_run_end "the finish page was reached and the restart command recorded"
else
  e2e_run_end "FAILED (see steps)"
fi
exit $result
