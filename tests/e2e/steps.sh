# The pages the run drives with real input (xdotool clicks at client
# coordinates of the 920x600 main window), in order:
#
#   home page -> system list -> recommended row's install button -> finish page
#
# Each step says what it saw: "reached", "not reachable yet: why" or
# "failed: why". A step is only "reached" on evidence from the program (its
# window, its run log, the server's access log, the recorded restart).
#
# HOOKS for the pages still to come: fill in the coordinates below when the
# pages are built; a step whose control has no coordinates is reported as not
# reachable, and the steps after it are not tried.

# HOOK: the home page's setup button (Btn_setup), "x y" in client coordinates.
E2E_SETUP_BUTTON=${E2E_SETUP_BUTTON:-}
# HOOK: the system list's install button of row n ("JXBUTTONI" + n); the
# function prints "x y" for a row number (from 1), or nothing while the list is not built.
e2e_install_button_at() { :; }
# HOOK: how long the download and boot preparation may take, and the finish
# page's countdown (ten seconds) with some slack.
E2E_INSTALL_SECONDS=${E2E_INSTALL_SECONDS:-180}
E2E_COUNTDOWN_SECONDS=${E2E_COUNTDOWN_SECONDS:-20}

R_STEPS=()
e2e_step() { R_STEPS+=("$1: $2"); e2e_say "== $1: $2"; }

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

e2e_drive_pages() {
  # Home page: the main window up after the start-up checks.
  if ! e2e_wait_started 90; then
    e2e_shot 01-start
    e2e_step "home page" "failed: $R_WAIT_WHY"
    return 1
  fi
  e2e_shot 01-home
  if e2e_run_log | grep -q '^.\{19\} 错误：'; then
    e2e_step "home page" "failed: the start-up checks refused this machine ($(e2e_run_log | grep '错误：' | tail -1 | cut -c21-))"
    return 1
  fi
  e2e_step "home page" "reached (main window shown; screenshot 01-home.png)"

  # System list: the setup button.
  if [ -z "$E2E_SETUP_BUTTON" ]; then
    e2e_step "system list" "not reachable yet: the home page has no setup button in this build (hook E2E_SETUP_BUTTON in tests/e2e/steps.sh)"
    return 2
  fi
  # shellcheck disable=SC2086
  e2e_click $E2E_SETUP_BUTTON
  sleep 1
  e2e_shot 02-system-list
  e2e_step "system list" "setup button clicked (screenshot 02-system-list.png)"

  # Install: the recommended row's button.
  local row at
  row=$(e2e_recommended_row)
  at=$([ -n "$row" ] && e2e_install_button_at "$row")
  if [ -z "$at" ]; then
    e2e_step "install" "not reachable yet: no install button position for the recommended row '${row:-not logged}' (hook e2e_install_button_at in tests/e2e/steps.sh)"
    return 2
  fi
  # shellcheck disable=SC2086
  e2e_click $at
  e2e_step "install" "install button of row $row clicked"

  # Download and boot preparation, then the finish page and its countdown:
  # a screenshot every few seconds, until the restart is recorded.
  local t=0 n=3
  while [ $t -lt $((E2E_INSTALL_SECONDS + E2E_COUNTDOWN_SECONDS)) ]; do
    [ -s "$R_RESTART" ] && break
    e2e_lumora_running || break
    if [ $((t % 5)) = 0 ]; then e2e_shot "$(printf '%02d' $n)-install-${t}s"; n=$((n + 1)); fi
    sleep 1
    t=$((t + 1))
  done
  e2e_shot "$(printf '%02d' $n)-end"
  if [ -s "$R_RESTART" ]; then
    e2e_step "finish page" "reached: the countdown ran and the restart command was recorded"
    return 0
  fi
  e2e_step "finish page" "failed: no restart command recorded ($(e2e_lumora_running && echo "program still running after ${t}s" || echo "the program ended"))"
  return 1
}
