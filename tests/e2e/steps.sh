# The pages the run drives with real input (xdotool clicks and wheel turns at
# client coordinates of the 920x600 main window), in order:
#
#   home page -> system list -> a row's install button -> download ->
#   install -> finish page (countdown, restart)
#
# Each step says what it saw: "reached" or "failed: why". A step is only
# "reached" on evidence from the program: its windows as window_probe sees
# them (every control's window text is its name, so the page shown is the one
# whose controls are visible), its run log, the server's access log, the
# recorded restart.

# The home page's setup button (Btn_setup): page control at (32,152), panel at
# (9,45) in it, the button at (649,262) 180x48 in the panel; its centre.
E2E_SETUP_BUTTON=${E2E_SETUP_BUTTON:-780 483}
# The system list (Sb_Syslist) in client coordinates: top 184, 383 high; its
# content is 78 pixels a row, a wheel notch scrolls 25 pixels.
E2E_LIST_TOP=184 E2E_LIST_HEIGHT=383 E2E_ROW_HEIGHT=78
# How long the download and boot preparation may take, and the finish page's
# countdown (ten seconds) with some slack.
E2E_INSTALL_SECONDS=${E2E_INSTALL_SECONDS:-120}
E2E_COUNTDOWN_SECONDS=${E2E_COUNTDOWN_SECONDS:-25}

R_STEPS=()
e2e_step() { R_STEPS+=("$1: $2"); e2e_say "== $1: $2"; }

# The page the main window shows, from the controls that are visible: home,
# list, download, install, finish; "none" when the window is not shown.
e2e_page() {
  local probe
  probe=$(e2e_probe Tvorel)
  grep -q '^top .* visible=1 ' <<<"$probe" || { echo none; return; }
  local name page
  for name in Btn_setup:home Sb_Syslist:list Pro_Run:download Pic_Run:install Pic_End:finish; do
    page=${name#*:} name=${name%%:*}
    if grep -q "^  child .* visible=1 .* text=$name\$" <<<"$probe"; then echo "$page"; return; fi
  done
  echo unknown
}

# Waits until the main window shows a page; fails after SECONDS (R_PAGE is
# the page last seen).
e2e_wait_page() {
  local want=$1 limit=$2 t=0
  while [ $t -lt "$limit" ]; do
    R_PAGE=$(e2e_page)
    [ "$R_PAGE" = "$want" ] && return 0
    e2e_lumora_running || { R_PAGE="$R_PAGE (program ended)"; return 1; }
    sleep 1
    t=$((t + 1))
  done
  return 1
}

# A named control of the main window: its probe line.
e2e_control() { e2e_probe Tvorel | grep -m1 "^  child .* text=$1\$"; }

# The install button of row n ("JXBUTTONI" + n): content top 14 + 78 (n - 1),
# left 710, 100x30; the list sits at client x 36. A row whose button does not
# fit in the box is scrolled to with the wheel over the list, to the bottom:
# the content ends with the last row's separator line (row 7 at 468, the
# line's bottom 69 lower: 537), so the position clamps at 537 - 383 = 154.
# The other rows are clicked with the list at the top. Prints the button's
# centre "x y" after checking that the program put the button there.
e2e_install_button_at() {
  local row=$1 top pos=0 notches=7
  top=$((14 + E2E_ROW_HEIGHT * (row - 1)))
  if [ $((top + 30)) -gt $E2E_LIST_HEIGHT ]; then
    e2e_wheel 400 300 5 $notches
    pos=$((6 * E2E_ROW_HEIGHT + 69 - E2E_LIST_HEIGHT))
  else
    e2e_wheel 400 300 4 $notches
  fi
  # The list scrolls as the program takes the wheel messages: the button is
  # looked for until it is there, up to five seconds.
  local want="746,$((E2E_LIST_TOP + top - pos)),846,$((E2E_LIST_TOP + top - pos + 30))" line start=$SECONDS
  while :; do
    line=$(e2e_control "JXBUTTONI$row")
    [ "$(e2e_field "$line" rect)" = "$want" ] && [ "$(e2e_field "$line" visible)" = 1 ] && break
    [ $((SECONDS - start)) -lt 5 ] || break
    sleep 0.2
  done
  if [ "$(e2e_field "$line" rect)" != "$want" ] || [ "$(e2e_field "$line" visible)" != 1 ]; then
    e2e_say "install button of row $row: expected at $want, the program has: ${line:-no such control}"
    return 1
  fi
  echo "796 $((E2E_LIST_TOP + top - pos + 15))"
}

# The row the catalogue marks as recommended, counted from 1 in the
# catalogue's order, from the run log's "推荐：Family(Arch)" line (written
# when the list is built); empty when there is none.
e2e_recommended_row() {
  local rec family arch
  rec=$(e2e_run_log | sed -n 's/^.\{19\} 推荐：\(.*\)$/\1/p' | tail -1)
  [ -n "$rec" ] || return 0
  family=${rec%%(*} arch=${rec#*(} arch=${arch%)}
  grep -o '^ *{"Windows [^}]*}' "$E2E_REPO/catalogue/catalogue.cpp" |
    awk -F'", "' -v f="$family" -v a="$arch" 'toupper($4) == toupper(f) && toupper($5) == toupper(a) {print NR; exit}'
}

# Home page to the system list: the window after the start-up checks, the
# setup button once the list is built (it is disabled until then).
e2e_drive_to_list() {
  if ! e2e_wait_started 90; then
    e2e_shot 01-start
    e2e_step "home page" "failed: $R_WAIT_WHY"
    return 1
  fi
  if e2e_run_log | grep -q '^.\{19\} 错误：'; then
    e2e_shot 01-home
    e2e_step "home page" "failed: the start-up checks refused this machine ($(e2e_run_log | grep '错误：' | tail -1 | cut -c21-))"
    return 1
  fi
  local t=0
  while [ $t -lt 30 ] && [ "$(e2e_field "$(e2e_control Btn_setup)" enabled)" != 1 ]; do
    sleep 1
    t=$((t + 1))
  done
  if ! e2e_wait_page home 5; then
    e2e_shot 01-home
    e2e_step "home page" "failed: the main window shows '$R_PAGE', not the home page"
    return 1
  fi
  e2e_shot 01-home
  e2e_step "home page" "reached (screenshot 01-home.png)"

  # shellcheck disable=SC2086
  e2e_click $E2E_SETUP_BUTTON
  if ! e2e_wait_page list 10; then
    e2e_shot 02-system-list
    e2e_step "system list" "failed: after the setup button the window shows '$R_PAGE'"
    return 1
  fi
  e2e_shot 02-system-list
  e2e_step "system list" "reached (screenshot 02-system-list.png)"
}

# The install button of a row, then the download page.
e2e_drive_install() {
  local row=$1 at
  if ! at=$(e2e_install_button_at "$row"); then
    e2e_shot 02-system-list-row-$row
    e2e_step "install" "failed: the install button of row $row is not where the layout puts it"
    return 1
  fi
  # shellcheck disable=SC2086
  e2e_click $at
  if ! e2e_wait_page download 15; then
    e2e_shot 03-download
    e2e_step "download page" "failed: after the install button of row $row the window shows '$R_PAGE'"
    return 1
  fi
  # The page shows a file's name, size and progress once its download has
  # begun (the run log names its address).
  e2e_wait_log "[Download Url] " 10
  e2e_shot 03-download
  e2e_step "download page" "reached after the install button of row $row (screenshot 03-download.png)"
}

# From the download page to the recorded restart: a screenshot of each page
# as it comes (install, finish), then the countdown.
e2e_drive_to_restart() {
  local page seen="download" start=$SECONDS
  R_FINISH_AT=""
  while [ $((SECONDS - start)) -lt $((E2E_INSTALL_SECONDS + E2E_COUNTDOWN_SECONDS)) ]; do
    [ -s "$R_RESTART" ] && break
    e2e_lumora_running || break
    page=$(e2e_page)
    case "$page:$seen" in
      install:download)
        e2e_shot 04-install
        e2e_step "install page" "reached (screenshot 04-install.png)"
        seen=install ;;
      finish:download | finish:install)
        R_FINISH_AT=$SECONDS
        e2e_shot 05-finish
        e2e_step "finish page" "reached (screenshot 05-finish.png)"
        seen=finish ;;
    esac
    sleep 0.3
  done
  R_SEEN=$seen R_RESTART_AT=$SECONDS
  if [ -s "$R_RESTART" ]; then
    [ $seen = finish ] || e2e_step "finish page" "failed: the restart came without the finish page being seen"
    e2e_step "restart" "recorded $((R_RESTART_AT - ${R_FINISH_AT:-R_RESTART_AT}))s after the finish page was seen"
    return 0
  fi
  e2e_shot 06-end
  e2e_step "restart" "failed: no restart command recorded ($(e2e_lumora_running && echo "program still running on the $seen page after $((SECONDS - start))s" || echo "the program ended on the $seen page"))"
  return 1
}

# The whole path, as the demo runs it: the recommended row (or ROW).
e2e_drive_pages() {
  e2e_drive_to_list || return 1
  local row=${1:-}
  [ -n "$row" ] || row=$(e2e_recommended_row)
  if [ -z "$row" ]; then
    e2e_step "install" "failed: the run log names no recommended row"
    return 1
  fi
  e2e_drive_install "$row" || return 1
  e2e_drive_to_restart
}
