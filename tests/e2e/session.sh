# One run of Lumora.exe on a machine made by machine.sh: the display, the
# program started with the image server's address, the run log and the main
# window watched, screenshots, and the end of the session.
#
#   e2e_session_open [--show]   the display (a private Xvfb with a compositing
#                               manager, or the user's DISPLAY with --show)
#   e2e_start_lumora EXE        copies EXE to C:\Lumora\Lumora.exe and starts it
#   e2e_wait_started SECONDS    waits for the log's "Start" line and the window
#   e2e_shot NAME               screenshot of the display into $R_DIR/NAME.png
#   e2e_session_close           ends the prefix's programs, the display helpers
#
# Needs R_DIR (this run's output folder), S_URL (image server) and M_*.

E2E_RULE_START="========================= Start ========================="
R_LOG_WIN='C:\windows\temp\OrvekRun.LOG'

e2e_session_open() {
  R_OWN_DISPLAY=1 R_XCOMP_PID=""
  if [ "${1:-}" = --show ] && [ -n "${DISPLAY:-}" ]; then
    export LUMORA_DISPLAY=$DISPLAY
    R_OWN_DISPLAY=0
  else
    unset LUMORA_DISPLAY
  fi
  # The first program makes the private display (if any) and the services.
  e2e_wine cmd /c exit 0 >/dev/null 2>&1 </dev/null || true
  if [ $R_OWN_DISPLAY = 1 ]; then
    R_DISPLAY=$(cat "$M_PREFIX.display")
    # Layered windows blend only with a compositing manager on the display.
    if command -v xcompmgr >/dev/null; then
      DISPLAY=$R_DISPLAY xcompmgr </dev/null >/dev/null 2>&1 &
      R_XCOMP_PID=$!
    fi
  else
    R_DISPLAY=$DISPLAY
  fi
}

e2e_log_path() { printf '%s/drive_c/windows/temp/OrvekRun.LOG' "$M_PREFIX"; }

# This run's part of the run log, decoded from GBK (invalid bytes fail).
e2e_run_log() {
  local log
  log=$(e2e_log_path)
  [ -f "$log" ] || return 0
  tail -c +$((R_LOG_FROM + 1)) "$log" | iconv -f gbk -t utf-8 | tr -d '\r'
}

e2e_start_lumora() {
  local exe=$1
  mkdir -p "$M_PREFIX/drive_c/Lumora"
  cp "$exe" "$M_PREFIX/drive_c/Lumora/Lumora.exe"
  R_LOG_FROM=0
  [ -f "$(e2e_log_path)" ] && R_LOG_FROM=$(stat -c %s "$(e2e_log_path)")
  R_RESTART=$R_DIR/restart-command.txt
  rm -f "$R_RESTART"
  (
    export LUMORA_BASE_URL=$S_URL
    export LUMORA_E2E_RESTART_LOG
    LUMORA_E2E_RESTART_LOG=$(e2e_winpath "$R_RESTART")
    cd "$M_PREFIX/drive_c/Lumora"
    exec env LUMORA_WINEPREFIX="$M_PREFIX" "$E2E_REPO/scripts/wine-run" 'C:\Lumora\Lumora.exe' \
      </dev/null >"$R_DIR/lumora.stdout" 2>"$R_DIR/lumora.stderr"
  ) &
  R_PID=$!
}

e2e_lumora_running() { kill -0 "$R_PID" 2>/dev/null; }

# The program's main window: visible, 920x600. Sets R_WIN (X window id) or
# fails.
e2e_find_window() {
  local id geo
  R_WIN=""
  for id in $(DISPLAY=$R_DISPLAY xdotool search --onlyvisible --name '.*' 2>/dev/null); do
    geo=$(DISPLAY=$R_DISPLAY xdotool getwindowgeometry --shell "$id" 2>/dev/null) || continue
    if grep -qx 'WIDTH=920' <<<"$geo" && grep -qx 'HEIGHT=600' <<<"$geo"; then
      R_WIN=$id
      return 0
    fi
  done
  return 1
}

# Waits for the "Start" line of the run log and the main window; fails when
# the program ended or the time ran out (R_WAIT_WHY says which).
e2e_wait_started() {
  local limit=$1 t=0 started=0
  R_WAIT_WHY=""
  while [ $t -lt $((limit * 5)) ]; do
    [ $started = 0 ] && e2e_run_log 2>/dev/null | grep -qF "$E2E_RULE_START" && started=1
    if [ $started = 1 ] && e2e_find_window; then
      sleep 1 # let the first paint finish
      return 0
    fi
    if ! e2e_lumora_running; then
      R_WAIT_WHY="the program ended"
      return 1
    fi
    sleep 0.2
    t=$((t + 1))
  done
  R_WAIT_WHY="no $([ $started = 1 ] && echo "920x600 main window" || echo "\"Start\" line in the run log") after ${limit}s"
  return 1
}

e2e_shot() {
  local file=$R_DIR/$1.png
  if DISPLAY=$R_DISPLAY import -window root "$file" 2>/dev/null; then
    R_SHOTS+=("$file")
  fi
}

# Real input: a click at client coordinates of the main window.
e2e_click() {
  DISPLAY=$R_DISPLAY xdotool mousemove --window "$R_WIN" "$1" "$2" click 1
}

e2e_session_close() {
  # Ends what runs in this prefix (the program among it), then our helpers.
  e2e_stop_wine
  wait "$R_PID" 2>/dev/null || true
  [ -n "$R_XCOMP_PID" ] && kill "$R_XCOMP_PID" 2>/dev/null
  R_XCOMP_PID=""
  [ "$R_OWN_DISPLAY" = 1 ] && e2e_end_display "$M_PREFIX"
  return 0
}
