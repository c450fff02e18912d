# One run of Lumora.exe on a machine made by machine.sh: the display, the
# program started with the image server's address, the run log and the main
# window watched, screenshots, and the end of the session.
#
#   e2e_session_open [--show]   the display (a private Xvfb with a compositing
#                               manager, or the user's DISPLAY with --show)
#   e2e_start_lumora EXE [URL]  copies EXE to C:\Lumora\Lumora.exe and starts it
#                               with the image server at URL (default S_URL)
#   e2e_wait_started SECONDS    waits for the log's "Start" line and the window
#   e2e_wait_log TEXT SECONDS   waits for a line of the run log with TEXT in it
#   e2e_shot NAME               screenshot of the display into $R_DIR/NAME.png
#   e2e_session_close           ends the prefix's programs, the display helpers
#   e2e_probe CLASS...          the program's windows of those classes (window_probe)
#   e2e_tray_menu_click LAST|FIRST   opens the tray icon's menu and clicks an item
#
# On a private display a tray host (trayer) runs beside the compositing
# manager: Wine docks tray icons into a system tray of the display, and
# without one it shows them nowhere.
#
# Needs R_DIR (this run's output folder), S_URL (image server) and M_*.

E2E_RULE_START="========================= Start ========================="
R_LOG_WIN='C:\windows\temp\OrvekRun.LOG'

e2e_session_open() {
  R_OWN_DISPLAY=1 R_XCOMP_PID="" R_TRAY_PID=""
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
    if command -v trayer >/dev/null; then
      DISPLAY=$R_DISPLAY trayer --edge top --align right --widthtype pixel --width 120 \
        --height 24 --transparent false --expand false </dev/null >/dev/null 2>&1 &
      R_TRAY_PID=$!
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
  R_BASE_URL=${2:-$S_URL}
  (
    export LUMORA_BASE_URL=$R_BASE_URL
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
    [ $started = 1 ] && e2e_find_window && return 0
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

# Waits until this run's part of the log has a line with TEXT in it; fails
# after SECONDS or when the program ended without writing it.
e2e_wait_log() {
  local text=$1 limit=$2 start=$SECONDS
  until e2e_run_log 2>/dev/null | grep -qF -- "$text"; do
    [ $((SECONDS - start)) -lt "$limit" ] && e2e_lumora_running || return 1
    sleep 0.2
  done
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
  local pid
  for pid in $R_XCOMP_PID $R_TRAY_PID; do kill "$pid" 2>/dev/null; done
  R_XCOMP_PID="" R_TRAY_PID=""
  [ "$R_OWN_DISPLAY" = 1 ] && e2e_end_display "$M_PREFIX"
  return 0
}

# A click (button 1 unless given) at screen coordinates.
e2e_click_screen() {
  DISPLAY=$R_DISPLAY xdotool mousemove "$1" "$2" sleep 0.2 click "${3:-1}"
}

# Mouse wheel notches at client coordinates of the main window: up (4) or
# down (5).
e2e_wheel() {
  local x=$1 y=$2 button=$3 n=$4
  DISPLAY=$R_DISPLAY xdotool mousemove --window "$R_WIN" "$x" "$y" sleep 0.2 click --repeat "$n" --delay 150 "$button"
}

# The windows of the given classes in the machine's session, as
# tests/e2e/fixtures/window_probe.c describes them.
e2e_probe() {
  e2e_wine_out "$(e2e_winpath "$M_PROBE")" "$@" | tr -d '\r'
}

# A field ("visible", "rect", ...) of a probe line.
e2e_field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<<"$1" | head -1; }

# The first top-level window of a class: its probe line, or fails.
e2e_top() {
  local line
  line=$(e2e_probe "$1" | grep -m1 "^top .* class=$1 ")
  [ -n "$line" ] && printf '%s\n' "$line"
}

# Waits until a top-level window of a class is shown (or, with "gone", until
# none is shown); fails after SECONDS.
e2e_wait_window() {
  local class=$1 want=$2 limit=$3 t=0 line
  while [ $t -lt "$limit" ]; do
    line=$(e2e_probe "$class" | grep "^top .* class=$class .*visible=1" | head -1)
    if [ "$want" = shown ] && [ -n "$line" ]; then R_TOP=$line; return 0; fi
    if [ "$want" = gone ] && [ -z "$line" ]; then return 0; fi
    sleep 1
    t=$((t + 1))
  done
  return 1
}

# The tray icon docked in the tray host: its centre "x y", or fails.
e2e_tray_icon_at() {
  local panel
  panel=$(DISPLAY=$R_DISPLAY xdotool search --onlyvisible --name '^panel$' 2>/dev/null | head -1)
  [ -n "$panel" ] || return 1
  # Nested windows of the panel with their absolute positions: the smallest
  # icon-sized one is the program's icon.
  DISPLAY=$R_DISPLAY xwininfo -tree -id "$panel" 2>/dev/null |
    sed -n 's/.* \([0-9]\+\)x\([0-9]\+\)+-\?[0-9]\++-\?[0-9]\+ *+\(-\?[0-9]\+\)+\(-\?[0-9]\+\)$/\1 \2 \3 \4/p' |
    awk '$1 >= 12 && $1 <= 48 && $2 >= 12 && $2 <= 48 {print $3 + int($1 / 2), $4 + int($2 / 2); exit}' | grep .
}

# Opens the tray icon's menu with a right click and clicks its first or its
# last item (the menu is Wine's popup menu window, class #32768).
e2e_tray_menu_click() {
  local which=$1 at line rect l t r b
  at=$(e2e_tray_icon_at) || { R_WAIT_WHY="no tray icon in the tray host"; return 1; }
  # shellcheck disable=SC2086
  e2e_click_screen $at 3
  e2e_wait_window '#32768' shown 5 || { R_WAIT_WHY="no menu after a right click on the tray icon"; return 1; }
  e2e_shot "${2:-tray-menu}"
  rect=$(e2e_field "$R_TOP" rect)
  IFS=, read -r l t r b <<<"$rect"
  if [ "$which" = last ]; then
    e2e_click_screen $(((l + r) / 2)) $((b - 12))
  else
    e2e_click_screen $(((l + r) / 2)) $((t + 12))
  fi
}

# The text a dialog shows, read from a screenshot: the dialog's rectangle
# (from its probe line) cut out, enlarged and read by tesseract (Simplified
# Chinese). The skinned labels draw their text themselves, so the screen is
# the only place it can be read. Blanks and punctuation are left out of the
# comparison (the reader mixes full-width and ASCII forms). R_OCR is what was read.
e2e_dialog_text_check() {
  local png=$1 line=$2 want=$3 l t r b
  R_OCR="(not read)"
  [ -s "$png" ] && [ -n "$line" ] || return 1
  IFS=, read -r l t r b <<<"$(e2e_field "$line" rect)"
  convert "$png" -crop "$((r - l))x$((b - t))+$l+$t" +repage -resize 300% -colorspace Gray \
    "${png%.png}-text.png" 2>/dev/null || return 1
  R_OCR=$(tesseract "${png%.png}-text.png" - -l chi_sim --psm 6 2>/dev/null | tr -d ' \n')
  local norm='s/[[:space:][:punct:]：，！。？、]//g'
  grep -qF -- "$(sed "$norm" <<<"$want")" <<<"$(sed "$norm" <<<"$R_OCR")"
}
