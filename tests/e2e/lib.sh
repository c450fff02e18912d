# The end-to-end harness in one piece: sources its parts and frames one run.
#
#   . tests/e2e/lib.sh
#   e2e_init REPO [WORK]; e2e_profile NAME
#   e2e_run_begin EXE TOOL PREFIX OUT [--show]   the machine, its disk listing, the
#                                                image server, the display, the
#                                                "before" listing of C: and D:
#   e2e_start_lumora EXE [URL] ... drive the pages (steps.sh) ...
#   e2e_run_end RESULT-TEXT                      last screenshot, the session
#                                                ended, the "after" listing, the report
E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
for _part in common profiles machine server session report steps; do
  # shellcheck source=/dev/null
  . "$E2E_LIB_DIR/$_part.sh"
done
unset _part

e2e_run_begin() {
  local exe=$1 tool=$2 prefix=$3 out=$4 show=${5:-}
  R_EXE=$(realpath "$exe")
  E2E_PROGRAM_MACHINE=$(e2e_pe_machine "$R_EXE")
  mkdir -p "$(dirname "$prefix")"
  prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
  rm -rf "$out"
  mkdir -p "$out"
  R_DIR=$(cd "$out" && pwd)
  R_SHOTS=() R_STEPS=() R_BASE_URL="" R_PID=""
  e2e_say "== machine: $P_TEXT (prefix $prefix)"
  e2e_make_machine "$prefix" || return 1
  R_LISTING=$(e2e_disk_listing "$tool")
  e2e_say "== image server"
  e2e_server_start "$(dirname "$R_DIR")/server" || return 1
  trap 'e2e_session_close; e2e_server_stop' EXIT
  e2e_session_open $show
  e2e_snapshot before
}

# Every drive ends on something the program did (the restart recorded, the
# program ended, a step that failed), so the run log is complete by now.
e2e_run_end() {
  e2e_shot 99-last
  R_LOGTEXT=$(e2e_run_log)
  R_RUNNING=$(e2e_lumora_running && echo "still running" || echo "ended")
  e2e_session_close
  # The listing is taken with the program gone, so nothing it holds open is
  # missed.
  e2e_snapshot after
  e2e_write_report "$1"
  # The report's attribute listing ran Wine again: end it.
  e2e_session_close
}
