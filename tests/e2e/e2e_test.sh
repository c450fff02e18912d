#!/usr/bin/env bash
# The end-to-end tests: the real Lumora.exe under Wine on a machine profile,
# driven with real input against the local image server, and checked on what
# it left behind (run log, files and attributes on C: and D:, boot.ini or the
# boot store, the Ghost command file, the recorded restart, screenshots).
#
#   e2e_test.sh CASE Lumora.exe FerroYX.exe WORK-DIR [BOOTSTORE.exe]
#
# Cases (profile, catalogue row, server):
#   ghost-win7       win7       row 3 (Windows 7 64-bit)   legacy Ghost path, boot store
#   ghost-xp         xp         row 1 (Windows XP)         legacy Ghost path, boot.ini
#   uefi-win10-gpt   win10-gpt  row 5 (Windows 10 64-bit)  UEFI path: image, PE image, ramdisk entry
#   ghost-win8       win8       row 7 (Windows 8 64-bit)   legacy Ghost path, boot store (Windows 8)
#   ghost-win81      win81      row 7 (Windows 8 64-bit)   the same on Windows 8.1
#   uefi-win7-gpt    win7-gpt   row 3 (Windows 7 64-bit)   UEFI path on Windows 7
#   uefi-win10-32-gpt win10-32-gpt row 4 (Windows 10 32-bit) UEFI path, the X86 EFI set
#                                                          (the set follows the program's
#                                                          bitness check, see check_uefi_boot)
#   ghost-no-sums    win7       row 2, no SHA256SUMS       the Ghost path with the image not checked
#   download-404     win7       row 3, every file 404      the failure dialog, the program ends
#   image-html       win7       row 3, HTML page as image  "not a valid image" dialog, the program ends
#   image-empty      win7       row 3, empty image         the same
#   image-mismatch   win7       row 3, wrong SHA256SUMS    "check failed" dialog, the program ends
#   bitlocker-data   win7, D: BitLocker                    start-up refusal dialog, the program ends
#   second-instance  win7       row 7 (scrolled), slow     a second start raises the first and ends
#   tray-quit        win7       row 6 (scrolled), slow     quit from the tray: no boot change
#   close-message    win7       row 4, slow                taskkill (WM_CLOSE) during the download
#   session-end      win7       row 5, slow                WM_QUERYENDSESSION, WM_ENDSESSION likewise
#   install-quit     win7       row 3, slow bcdedit        close answered OK on the install page:
#                                                          the boot changes are taken back
#   proxy            win7       row 3, through a proxy     Internet Options set to tinyproxy, the
#                                                          image host's only way: the Ghost path
#   proxy-down       win7       row 3, the proxy stopped   the same settings: the failure dialog
#
# Every machine is a desktop ("运行环境：桌面环境" in the log).
# The server publishes SHA256SUMS beside the images (except where said), so
# the cases that install check that the image was checked.
#
# The machine's prefix and the report stay in WORK-DIR/CASE when a check
# fails; after a pass only the report and screenshots are kept.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=/dev/null
. "$here/lib.sh"
# shellcheck source=/dev/null
. "$here/proxy.sh"

[ $# = 4 ] || [ $# = 5 ] ||
  { echo "usage: e2e_test.sh CASE Lumora.exe FerroYX.exe WORK-DIR [BOOTSTORE.exe]" >&2; exit 2; }
case_name=$1 exe=$2 tool=$3 work=$4 bootstore=${5:-}

# "prepare": the fixtures and the base prefixes of every profile's machine
# type, made once for the cases that follow.
if [ "$case_name" = prepare ]; then
  mkdir -p "$work"
  e2e_init "$here/../.." "$work"
  E2E_PROGRAM_MACHINE=$(e2e_pe_machine "$exe")
  for profile in $(e2e_profile_names); do
    e2e_profile "$profile" && e2e_fixtures || exit 1
    e2e_machine_arch
    e2e_base_prefix "$M_ARCH" || exit 1
  done
  echo "fixtures in $E2E_WORK/fixtures, base prefixes: $(cd "$E2E_WORK" && ls -d base-*/ | tr -d / | tr '\n' ' ')"
  exit 0
fi

case $case_name in
  ghost-win7)      profile=win7      row=3 server=paced ;;
  ghost-xp)        profile=xp        row=1 server=paced ;;
  uefi-win10-gpt)  profile=win10-gpt row=5 server=paced ;;
  ghost-win8)      profile=win8      row=7 server=paced ;;
  ghost-win81)     profile=win81     row=7 server=paced ;;
  uefi-win7-gpt)   profile=win7-gpt  row=3 server=paced ;;
  uefi-win10-32-gpt) profile=win10-32-gpt row=4 server=paced ;;
  ghost-no-sums)   profile=win7      row=2 server=nosums ;;
  download-404)    profile=win7      row=3 server=gone ;;
  image-html)      profile=win7      row=3 server=html ;;
  image-empty)     profile=win7      row=3 server=empty ;;
  image-mismatch)  profile=win7      row=3 server=badsum ;;
  bitlocker-data)  profile=win7      row=3 server=paced ;;
  second-instance) profile=win7      row=7 server=slow ;;
  tray-quit)       profile=win7      row=6 server=slow ;;
  close-message)   profile=win7      row=4 server=slow ;;
  session-end)     profile=win7      row=5 server=slow ;;
  install-quit)    profile=win7      row=3 server=paced ;;
  proxy)           profile=win7      row=3 server=proxy ;;
  proxy-down)      profile=win7      row=3 server=proxy ;;
  *) echo "unknown case $case_name" >&2; exit 2 ;;
esac
# What the case expects of the run: the install button clicked (the install
# lines in the log), and whether the start-up may refuse the machine.
installs=1 refused=0
[ "$case_name" = bitlocker-data ] && installs=0 refused=1
mkdir -p "$work"
e2e_init "$here/../.." "$work"
e2e_profile "$profile" || exit 2
# The data partition (D:, partition 2 of disk 0) encrypted with BitLocker.
[ "$case_name" = bitlocker-data ] && P_D_FS=bitlocker
dir=$E2E_WORK/$case_name

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

e2e_run_begin "$exe" "$tool" "$dir/prefix" "$dir/run" || { echo "FAIL: the machine or the server could not be made"; exit 1; }
if [ "$case_name" = install-quit ]; then
  # A boot-store editor in system32 that takes its time, found by the program
  # before its own: the install page lasts.
  e2e_install_slow_bcdedit "$bootstore" || { echo "FAIL: the slow bcdedit could not be installed (BOOTSTORE.exe argument)"; exit 1; }
fi
if [ "$server" = proxy ]; then
  # The image host is reached only through tinyproxy, set in Internet
  # Options ("<local>" bypassed, as many machines have it); proxy-down stops
  # the proxy before the program starts, the settings staying.
  e2e_proxy_start "$dir/proxy" || { echo "FAIL: tinyproxy could not be started"; exit 1; }
  trap 'e2e_session_close; e2e_server_stop; e2e_proxy_stop' EXIT
  e2e_internet_proxy "$X_PROXY" "<local>" || { echo "FAIL: Internet Options could not be set"; exit 1; }
  [ "$case_name" = proxy-down ] && e2e_proxy_stop
fi
case $server in
  paced) url=$S_URL_PACED ;;
  proxy) url=$X_URL/paced ;;
  slow) url=$S_URL_SLOW ;;
  gone) url=$S_URL_GONE ;;
  nosums) url=$S_URL_NOSUMS ;;
  html) url=$S_URL_HTML ;;
  empty) url=$S_URL_EMPTY ;;
  badsum) url=$S_URL_BADSUM ;;
esac
e2e_say "== $case_name: Lumora.exe on display $R_DISPLAY, LUMORA_BASE_URL=$url"
e2e_start_lumora "$R_EXE" "$url"
image=$(e2e_catalogue_files | sed -n "${row}p")

# ---- driving
drive_ok=0
# Waits (up to 60 s) for the message dialog, keeps its probe line (dialog),
# the probe of the program's windows (dialog_probe) and a screenshot (SHOT),
# answers OK and waits (up to END seconds) for the program to end; sets
# drive_ok when it ended.
answer_dialog() {
  local shot=$1 what=$2 end=${3:-10}
  if ! e2e_wait_window TAppmbox shown 60; then
    e2e_shot "$shot-none"
    e2e_step "$what" "failed: no message dialog within 60s (page '$(e2e_page)')"
    return 1
  fi
  dialog=$R_TOP
  dialog_probe=$(e2e_probe TAppmbox Tvorel)
  printf '%s\n' "$dialog_probe" >"$R_DIR/dialog-probe.txt"
  e2e_shot "$shot"
  e2e_step "$what" "shown (screenshot $shot.png)"
  local l t r b
  IFS=, read -r l t r b <<<"$(e2e_field "$dialog" rect)"
  # Btn_Ok at (385,232) 120x30 in the dialog.
  e2e_click_screen $((l + 445)) $((t + 247))
  wait_end "after OK" "$end"
}
# Waits (up to 30 s) until the image's download has begun: the run log names
# its address. A step says when it does not.
wait_image_download() {
  if ! e2e_wait_log "[Download Url] $url/a/$image" 30; then
    e2e_step "image download" "failed: the log names no download of $url/a/$image within 30s"
    return 1
  fi
}
# Waits (up to 10 s) until the main window is hidden (not shown, or
# minimised) or shown again (visible and not minimised); the checks read the
# state afterwards.
wait_main_window() {
  local want=$1 start=$SECONDS line state
  while [ $((SECONDS - start)) -lt 10 ]; do
    line=$(e2e_top Tvorel)
    state=$(e2e_field "$line" visible)$(e2e_field "$line" iconic)
    if [ "$want" = shown ]; then [ "$state" = 10 ] && return 0; else [ "$state" != 10 ] && return 0; fi
    sleep 0.2
  done
  return 1
}
# Waits up to SECONDS for the program to end; sets drive_ok when it did.
wait_end() {
  local after=$1 limit=$2 start=$SECONDS
  while [ $((SECONDS - start)) -lt "$limit" ] && e2e_lumora_running; do sleep 0.5; done
  if e2e_lumora_running; then
    e2e_step "end" "failed: the program still runs ${limit}s $after"
    return 1
  fi
  e2e_step "end" "the program ended $((SECONDS - start))s $after"
  drive_ok=1
}
# Waits up to SECONDS for the program to end, looking for a message dialog
# meanwhile (dialog_seen: its probe line); sets drive_ok when it ended.
wait_end_watching() {
  local after=$1 limit=$2 start=$SECONDS line
  dialog_seen=""
  while [ $((SECONDS - start)) -lt "$limit" ] && e2e_lumora_running; do
    line=$(e2e_probe TAppmbox | grep -m1 '^top .* visible=1 ')
    if [ -n "$line" ] && [ -z "$dialog_seen" ]; then
      dialog_seen=$line
      e2e_shot 05-dialog
    fi
    sleep 0.3
  done
  if e2e_lumora_running; then
    e2e_step "end" "failed: the program still runs ${limit}s $after"
    return 1
  fi
  e2e_step "end" "the program ended $((SECONDS - start))s $after"
  drive_ok=1
}

case $case_name in
  ghost-* | uefi-* | proxy)
    e2e_drive_to_list && e2e_drive_install "$row" && e2e_drive_to_restart && drive_ok=1 ;;

  download-404 | image-* | proxy-down)
    e2e_drive_to_list && e2e_drive_install "$row" && answer_dialog 04-failure-dialog "failure dialog" ;;

  bitlocker-data)
    # The start-up refuses the machine: its dialog comes before the window.
    answer_dialog 01-refusal-dialog "refusal dialog" ;;

  close-message | session-end)
    if e2e_drive_to_list && e2e_drive_install "$row" && wait_image_download; then
      # The download runs (slow server): the program is asked to end from
      # outside, by Wine's taskkill (WM_CLOSE to its top-level windows, as
      # Task Manager's End task) or by the session's end.
      if [ "$case_name" = close-message ]; then
        asked=$(e2e_wine_out taskkill /im Lumora.exe 2>&1 | tr -d '\r')
        e2e_step "taskkill" "taskkill /im Lumora.exe: $asked"
      else
        asked=$(e2e_wine_out "$(e2e_winpath "$F_DIR/session_end-$([ "$M_ARCH" = win32 ] && echo i686 || echo x86_64).exe")" | tr -d '\r')
        e2e_step "session end" "WM_QUERYENDSESSION then WM_ENDSESSION sent: $asked"
      fi
      wait_end_watching "after the request" 20
    fi ;;

  install-quit)
    if e2e_drive_to_list && e2e_drive_install "$row"; then
      if e2e_wait_page install 60; then
        e2e_shot 04-install
        e2e_step "install page" "reached (screenshot 04-install.png)"
        # Btn_Close at (888,6) 24x20: the question, answered OK.
        e2e_click 900 16
        answer_dialog 05-quit-question "quit question" 90
      else
        e2e_shot 04-no-install
        e2e_step "install page" "failed: the window shows '$R_PAGE'"
      fi
    fi ;;

  second-instance)
    if e2e_drive_to_list && e2e_drive_install "$row"; then
      # Btn_mini, then a second start while the first downloads.
      e2e_click 876 16
      wait_main_window hidden
      before=$(e2e_top Tvorel)
      e2e_shot 04-minimised
      e2e_step "minimise" "Btn_mini clicked: $(sed 's/.*\(visible=[01] iconic=[01]\).*/\1/' <<<"$before")"
      second_out=$R_DIR/second.stdout
      start=$SECONDS
      (
        cd "$M_PREFIX/drive_c/Lumora" &&
          LUMORA_BASE_URL=$url timeout 60 env LUMORA_WINEPREFIX="$M_PREFIX" "$E2E_REPO/scripts/wine-run" \
            'C:\Lumora\Lumora.exe' </dev/null >"$second_out" 2>&1
      )
      second_rc=$?
      second_seconds=$((SECONDS - start))
      wait_main_window shown
      after=$(e2e_top Tvorel)
      e2e_shot 05-raised
      e2e_step "second instance" "ended with $second_rc after ${second_seconds}s; the first: $(sed 's/.*\(visible=[01] iconic=[01] foreground=[01]\).*/\1/' <<<"$after")"
      page_after=$(e2e_page)
      # Then the first is closed from the tray, so the run ends quickly.
      e2e_tray_menu_click last 06-tray-menu && e2e_wait_window Tvorel gone 20
      for _ in $(seq 20); do e2e_lumora_running || break; sleep 0.5; done
      drive_ok=1
    fi ;;

  tray-quit)
    if e2e_drive_to_list && e2e_drive_install "$row" && wait_image_download; then
      # The download runs (slow server): quit from the tray icon's menu.
      if e2e_tray_menu_click last 04-tray-menu; then
        e2e_step "tray menu" "退出 clicked during the download (screenshot 04-tray-menu.png)"
        for _ in $(seq 30); do e2e_lumora_running || break; sleep 0.5; done
        if e2e_lumora_running; then
          e2e_step "end" "failed: the program still runs 15s after 退出"
        else
          e2e_step "end" "the program ended"
          drive_ok=1
        fi
      else
        e2e_step "tray menu" "failed: $R_WAIT_WHY"
      fi
    fi ;;
esac
[ $drive_ok = 1 ] || fail "the run did not go as the case needs (see steps)"
e2e_run_end "$([ $drive_ok = 1 ] && echo "$case_name: driven to its end" || echo "$case_name: FAILED (see steps)")" >"$dir/report.txt"

# ---- checks
log=$R_LOGTEXT
has() { grep -qxE "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} $1" <<<"$log"; }
has_text() { grep -qF -- "$1" <<<"$log"; }
c=$M_PREFIX/drive_c
changes=$R_DIR/changes.tsv

# The start-up, for every case: the log header of this profile in GBK, the
# carried tool's listing of the profile's disk, the drives the start-up chose.
raw=$(e2e_log_path)
[ -s "$raw" ] || fail "no run log"
iconv -f gbk -t utf-8 <"$raw" >/dev/null 2>&1 || fail "the run log is not GBK text"
grep -qaF $'\xE7\xB3\xBB\xE7\xBB\x9F' "$raw" && fail "UTF-8 text (系统) in the run log"
has "Begin" || fail "no Begin line"
has "=+ Start =+" || fail "no Start line"
has "NT版本：${P_NTDLL//./\\.}" || fail "NT version line is not the profile's ntdll $P_NTDLL: $(grep -F NT版本 <<<"$log")"
# The system line, and the class the catalogue knows the system by (from
# the ntdll version: Windows 8 is counted with Windows 7).
case $P_WINVER in
  winxp) sys="Windows XP" ver="5\\.1" class=WinXP ;;
  win7) sys="Windows 7" ver="6\\.1" class=Win7 ;;
  win8) sys="Windows 8" ver="6\\.2" class=Win7 ;;
  win81) sys="Windows 8\\.1" ver="6\\.3" class=Win8 ;;
  win10) class=Win10 ;;
esac
has "系统归类：$class" || fail "the system class is not $class: $(grep -F 系统归类 <<<"$log")"
# Two bitnesses show in the log. The edition is the prefix's (the native
# architecture): a 64-bit prefix playing a 32-bit Windows (M_NOTE) shows a
# 64-bit one. The program's "64-bit Windows" (the x64 in the Windows 10 line,
# the recommendation on GPT, the EFI set) is a 32-bit program running under
# WOW64, so the 64-bit test build, which does not, takes any Windows for 32-bit.
bits=64
[ "$M_ARCH" = win32 ] && bits=32
seen=x86
[ "$M_ARCH" = win64 ] && [ "$E2E_PROGRAM_MACHINE" = i686 ] && seen=x64
if [ "$P_WINVER" = win10 ]; then
  has "系统信息：Windows 10 SP0\\(Ver ${P_NTDLL//./\\.}, ${seen}\\)" ||
    fail "system line is not Windows 10, $seen: $(grep -F 系统信息 <<<"$log")"
else
  has "系统信息：${sys}.*\\(Version ${ver}, .*${bits}-bit Edition\\)" ||
    fail "system line does not name $sys, $bits-bit: $(grep -F 系统信息 <<<"$log")"
fi
has "运行环境：桌面环境" || fail "the machine is not taken for a desktop: $(grep -F 运行环境 <<<"$log")"
has "系统语言：中文简体" || fail "no Simplified Chinese language line"
has "程序路径：C:\\\\Lumora\\\\" || fail "program path line is not C:\\Lumora\\"
T=$'\t'
table=$(tr a-z A-Z <<<"$P_TABLE")
grep -qE "^1:1${T}C:${T}${P_C_GIB}\\.00GB${T}[0-9.]+GB${T}Primary${T}NTFS${T}${T}${table}${T}" <<<"$R_LISTING" ||
  fail "disk listing has no C: as 1:1 of ${P_C_GIB} GB ($table)"
# A BitLocker volume's file system carries the tool's "FVE_" mark.
dfs=NTFS
[ "${P_D_FS:-ntfs}" = bitlocker ] && dfs=FVE_NTFS
grep -qE "^1:2${T}D:${T}${P_D_GIB}\\.00GB${T}[0-9.]+GB${T}Primary${T}${dfs}${T}${T}${table}${T}" <<<"$R_LISTING" ||
  fail "disk listing has no D: as 1:2 of ${P_D_GIB} GB ($table, $dfs)"
has '数据目录：D:\\ZqGhost\\' || fail "data directory is not D:\\ZqGhost\\: $(grep -F 数据目录 <<<"$log")"
# A refusal of the data partition ends the checks before this line is written.
[ "$refused" = 1 ] ||
  has '系统分区磁盘序号：\[1:1\] 盘符：\[C:\]' || fail "system partition is not 1:1 on C:: $(grep -F 系统分区 <<<"$log")"
# The start-up's part of the log ends when it reads the system list.
startup_log=$(sed '/ 读取系统列表$/q' <<<"$log")
if [ $refused = 0 ]; then
  grep -qF "错误：" <<<"$startup_log" && fail "the start-up refused the machine: $(grep -F 错误： <<<"$startup_log")"
  has "读取系统列表" || fail "the start-up did not reach the system list"
  # On GPT the list recommends the running Windows' class in the program's
  # bitness.
  if [ "$P_TABLE" = gpt ]; then
    has "推荐：$class\\($seen\\)" || fail "the recommendation is not $class($seen): $(grep -F 推荐 <<<"$log")"
  fi
fi

# The setup button and the install button: the mode and the image.
if [ $installs = 1 ]; then
boot=MBR
[ "$P_TABLE" = gpt ] && boot="UEFI GPT"
has "引导类型：$boot" || fail "no boot type line '$boot'"
# The system drive line names the boot partition's letter: C: on an MBR
# disk, the EFI system partition's (two blanks: it has none) on GPT.
sysboot="C:"
[ "$P_TABLE" = gpt ] && sysboot="  "
has "系统盘符：\\[$sysboot\\] 磁盘序号：\\[1:1\\]" || fail "no system drive line for [$sysboot] 1:1: $(grep -F 系统盘符 <<<"$log")"
has "下载后文件路径:D:\\\\ZqGhost\\\\$image" || fail "the install button of row $row did not choose $image"
# Through the proxy the server sees the absolute address (Wine's WinHTTP
# writes the port, ":80"); with the proxy gone it sees nothing (the digest
# list fails before the image).
served=/${url#"$S_URL"/}
if [ "$server" = proxy ]; then
  served=$(grep -oE "GET ${X_URL//./\.}(:80)?${url#"$X_URL"}/" "$S_ACCESS" 2>/dev/null | head -1 | sed 's/^GET //; s/\/$//')
  [ -n "$served" ] || served=$url
fi
if [ "$case_name" != proxy-down ]; then
has "\\[Download Url\\] ${url//./\\.}/a/$image" || fail "no download of $url/a/$image in the log"
grep -q "\"GET $served/a/$image HTTP/1.1\"" "$S_ACCESS" 2>/dev/null ||
  fail "the server saw no request for $served/a/$image"
fi
fi

# Files on C: and D:: new or changed, with the attributes Windows shows.
changed() { awk -F'\t' -v p="$1" 'tolower($4) == tolower(p) {print $1; exit}' "$changes" 2>/dev/null; }
attributes() { python3 - "$R_DIR/attributes.txt" "$1" <<'PY'
import sys
for line in open(sys.argv[1], encoding="utf-8"):
    at = line.find(":\\")
    if at > 0 and line[at - 1:].strip().lower() == sys.argv[2].lower():
        print(line[: at - 1].replace(" ", ""))
PY
}
locked() {  # a new file with the hidden, system and read-only attributes
  local a
  [ "$(changed "$1")" = new ] || { fail "$1 is not a new file"; return; }
  a=$(attributes "$1")
  [[ $a == *H* && $a == *S* && $a == *R* ]] || fail "$1 has attributes '$a', not hidden, system and read-only"
}
nothing_armed() {  # the next start is Windows': no loader, command file or hand-off file, no entry of ours
  local f
  for f in 'C:\Ghost.ba_' 'C:\wvldr' 'C:\wvldr.mbr' 'C:\Varnix.ima' 'C:\KFun.JP' 'C:\KRPPE' 'C:\KRPPE.MBR'; do
    [ -n "$(find "$c" -maxdepth 1 -iname "${f#C:\\}")" ] && fail "$f is on C: after the run"
  done
  local store
  store=$(find "$c" -maxdepth 2 -ipath "$c/boot/bcd" | head -1)
  if [ -n "$store" ]; then
    python3 - "$store" <<'PY' || fail "the boot store keeps an entry of ours: $(tr -d '\r' <"$store" | grep -iE 'description|default' | tr '\n' ' ')"
import sys
objects, current = {}, None
for line in open(sys.argv[1], encoding="utf-8-sig", errors="replace").read().splitlines():
    line = line.strip()
    if line.startswith("[") and line.endswith("]"):
        current = objects.setdefault(line[1:-1], {})
    elif "=" in line and current is not None:
        k, v = line.split("=", 1)
        current[k.strip().lower()] = v.strip()
# Our entries: the title the program gives them, or the id it creates them under.
ours = [i for i, o in objects.items()
        if o.get("description") == "Lumora" or i.upper() == "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}"]
default = objects.get("{bootmgr}", {}).get("default", "")
sys.exit(1 if ours or default.upper() == "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}" else 0)
PY
  fi
  if [ -f "$c/boot.ini" ]; then
    grep -qiE 'wvldr|krppe|Lumora' "$c/boot.ini" && fail "boot.ini names our loader: $(tr -d '\r' <"$c/boot.ini")"
  fi
  has_text "提示：安装成功" && fail "the log says the install succeeded"
  [ -s "$R_RESTART" ] && fail "a restart was recorded: $(cat "$R_RESTART")"
}
nothing_on_c() {  # no boot change at all: nothing armed, the store and boot.ini untouched
  local f
  for f in 'C:\Ghost.ba_' 'C:\wvldr' 'C:\wvldr.mbr' 'C:\Varnix.ima' 'C:\KFun.JP' 'C:\Boot\BCD' 'C:\boot.ini'; do
    [ -n "$(changed "$f")" ] && fail "$f was $(changed "$f") though the run ended before any boot change"
  done
  nothing_armed
}
shot() { [ -s "$R_DIR/$1.png" ] || fail "no screenshot $1.png"; }
work_folder_removed() {  # a program that ended by itself removed its work folder (%temp%\~S + 6 letters)
  local left
  left=$(awk -F'\t' '$1 == "new" && $2 == "d" && $4 ~ /\\~S[A-Za-z][A-Za-z][A-Za-z][A-Za-z][A-Za-z][A-Za-z]$/ {print $4}' "$changes" 2>/dev/null)
  [ -z "$left" ] || fail "the work folder is left behind: $left"
}

case $case_name in
  ghost-* | uefi-* | proxy)
    has "下载成功" || fail "no 下载成功 line"
    has "提示：安装成功" || fail "no 提示：安装成功 line"
    cmp -s "$M_DDIR/ZqGhost/$image" "$S_DIR/www/a/$image" || fail "D:\\ZqGhost\\$image is not the served image"
    # The install page: on Windows XP the boot preparation runs without a
    # wait (no store editor), so the page is never painted before the finish page.
    for s in 01-home 02-system-list 03-download 05-finish; do shot $s; done
    [ "$P_BOOTINI" = 1 ] || shot 04-install
    # The restart comes after the finish page's ten-second countdown.
    [ -n "${R_FINISH_AT:-}" ] && [ $((R_RESTART_AT - R_FINISH_AT)) -ge 8 ] ||
      fail "the restart did not wait for the countdown (finish page at ${R_FINISH_AT:-never}s, restart seen at ${R_RESTART_AT:-?}s)"
    grep -qiE '(^|[\\ ])shutdown(\.exe)? +/r +/t +0' "$R_RESTART" 2>/dev/null ||
      fail "the recorded restart is not 'shutdown /r /t 0': $(cat "$R_RESTART" 2>/dev/null)"
    # The image checked against the server's SHA256SUMS, or, where the
    # server has none, taken on its format alone.
    sums="$served/a/SHA256SUMS"
    if [ "$server" = nosums ]; then
      has_text "未校验SHA256(没有校验值)：D:\\ZqGhost\\$image" || fail "no 未校验SHA256(没有校验值) line for $image"
      has_text "SHA256校验通过" && fail "the log says the image was checked though the server has no SHA256SUMS"
      grep -q "\"GET $sums HTTP/1.1\" 404" "$S_ACCESS" || fail "the program did not ask for $sums"
    else
      has_text "SHA256校验通过：D:\\ZqGhost\\$image" || fail "no SHA256校验通过 line for $image"
      grep -qE "\"GET $sums HTTP/1.1\" 20[06] " "$S_ACCESS" || fail "the server did not give $sums"
    fi
    ;;
esac

# The checks of each boot path, for every case that takes it.
#
# The Ghost path: the command file and the restore environment.
check_ghost_files() {
  # The Ghost command file: its first line restores the image by its disk
  # and partition address onto the system partition, the second restarts.
  [ -f "$c/Ghost.ba_" ] || fail "no C:\\Ghost.ba_"
  first=$(iconv -f gbk -t utf-8 "$c/Ghost.ba_" 2>/dev/null | tr -d '\r' | sed -n 1p)
  second=$(iconv -f gbk -t utf-8 "$c/Ghost.ba_" 2>/dev/null | tr -d '\r' | sed -n 2p)
  [[ $first == "Ghost.exe -nousb -clone,mode=pload,src=\"1:2\\ZqGhost\\$image:1\",dst=1:1 "* ]] ||
    fail "Ghost.ba_ first line does not restore 1:2\\ZqGhost\\$image:1 to 1:1: $first"
  [ "$second" = restart ] || fail "Ghost.ba_ second line is not 'restart': $second"
  # The restore environment: read-only, hidden and system; its boot record
  # only where the boot store starts it (Vista and later).
  for f in 'C:\wvldr' 'C:\Varnix.ima'; do locked "$f"; done
  if [ "$P_BOOTINI" = 1 ]; then
    [ -z "$(changed 'C:\wvldr.mbr')" ] || fail "C:\wvldr.mbr was written on Windows XP"
  else
    locked 'C:\wvldr.mbr'
  fi
}
# The Ghost path through the boot store (Vista and later).
check_store_entry() {
  # The boot store: a bootsector entry "Lumora", default, \wvldr.mbr on C:;
  # its export before the change kept as C:\Boot\BCD_.
  store=$(find "$c" -maxdepth 2 -ipath "$c/boot/bcd" | head -1)
  [ -n "$store" ] || fail "no boot store C:\\Boot\\BCD"
  [ "$(changed 'C:\Boot\BCD_')" = new ] || fail "no export of the boot store C:\\Boot\\BCD_"
  python3 - "${store:-/nonexistent}" <<'PY' || fail "the boot store has no default bootsector entry Lumora with path \\wvldr.mbr on partition=C:"
import sys
objects, current = {}, None
try:
    text = open(sys.argv[1], encoding="utf-8-sig").read()
except OSError:
    sys.exit(1)
for line in text.splitlines():
    line = line.strip()
    if line.startswith("[") and line.endswith("]"):
        current = objects.setdefault(line[1:-1], {})
    elif "=" in line and current is not None:
        k, v = line.split("=", 1)
        current[k.strip().lower()] = v.strip()
entry = [i for i, o in objects.items() if o.get("description") == "Lumora"]
ok = (len(entry) == 1 and objects[entry[0]].get("application") == "bootsector"
      and objects[entry[0]].get("path", "").lower() == "\\wvldr.mbr"
      and objects[entry[0]].get("device", "").lower() == "partition=c:"
      and objects.get("{bootmgr}", {}).get("default") == entry[0])
sys.exit(0 if ok else 1)
PY
}
# The Ghost path through boot.ini (Windows XP).
check_boot_ini() {
  # boot.ini: the loader C:\wvldr as the default entry "Lumora" with a
  # 3-second menu, the Windows line kept, the file read-only, hidden and
  # system again; the backup boot.in_ holds the boot.ini before the run.
  ini=$(iconv -f gbk -t utf-8 "$c/boot.ini" 2>/dev/null | tr -d '\r')
  grep -qix 'C:\\wvldr=Lumora' <<<"$ini" || fail "boot.ini has no line C:\\wvldr=Lumora: $ini"
  grep -qix 'default=C:\\wvldr' <<<"$ini" || fail "boot.ini's default is not C:\\wvldr: $ini"
  grep -qix 'timeout=3' <<<"$ini" || fail "boot.ini's timeout is not 3: $ini"
  grep -qF 'partition(1)\WINDOWS="Microsoft Windows XP Professional"' <<<"$ini" || fail "boot.ini lost the Windows line"
  a=$(attributes 'C:\boot.ini')
  [[ $a == *H* && $a == *S* && $a == *R* ]] || fail "boot.ini has attributes '$a', not hidden, system and read-only"
  grep -qF 'default=multi(0)disk(0)rdisk(0)partition(1)\WINDOWS' "$c/boot.in_" 2>/dev/null ||
    fail "no backup C:\\boot.in_ of the boot.ini before the run"
  [ -z "$(find "$c" -maxdepth 2 -ipath "$c/boot/bcd")" ] || fail "a boot store was written on Windows XP"
}
# The UEFI path: the PE image in C:\Boot, the ramdisk entry, the EFI files.
check_uefi_boot() {
  # Both files downloaded, the PE image copied to C:\Boot, its WIM taken out,
  # the hand-off file, and the ramdisk entry as default.
  has "\\[Download Url\\] ${url//./\\.}/a/KRP8PE6F\\.ISO" || fail "no download of the PE image"
  cmp -s "$M_DDIR/ZqGhost/KRP8PE6F.ISO" "$S_DIR/www/a/KRP8PE6F.ISO" || fail "D:\\ZqGhost\\KRP8PE6F.ISO is not the served ISO"
  cmp -s "$c/Boot/KRP8PE6F.ISO" "$S_DIR/www/a/KRP8PE6F.ISO" 2>/dev/null ||
    cmp -s "$c/BOOT/KRP8PE6F.ISO" "$S_DIR/www/a/KRP8PE6F.ISO" 2>/dev/null || fail "no copy of the PE image in C:\\Boot"
  wim=$(find "$c" -maxdepth 2 -ipath "$c/boot/krp8pe6l.wim" | head -1)
  [ -n "$wim" ] && [ "$(head -c 5 "$wim")" = MSWIM ] || fail "no C:\\Boot\\KRP8PE6L.WIM taken out of the ISO"
  [ -f "$c/KFun.JP" ] || fail "no hand-off file C:\\KFun.JP"
  [ -f "$M_DDIR/GFun.JP" ] || fail "no hand-off file D:\\GFun.JP"
  [ -f "$c/Ghost.ba_" ] && fail "a Ghost command file was written on the UEFI path"
  store=$(find "$c" -maxdepth 2 -ipath "$c/boot/bcd" | head -1)
  grep -qiF 'ramdisk=[C:]\boot\KRP8PE6L.WIM' "${store:-/dev/null}" || fail "the boot store has no ramdisk entry for C:\\boot\\KRP8PE6L.WIM"
  # The EFI boot files of the program's bitness ($seen): each stand-in
  # carries its set's tag.
  local f
  for f in bootmgr.efi bootmgfw.efi memtest.efi zh-CN/bootmgfw.efi.mui zh-CN/bootmgr.efi.mui zh-CN/memtest.efi.mui; do
    grep -qaF "stand-in for ${f#zh-CN/} ($seen EFI)" "$c/EFI/Microsoft/Boot/$f" 2>/dev/null ||
      fail "C:\\EFI\\Microsoft\\Boot\\${f//\//\\} is not the $seen set's file"
  done
}

case $case_name in
  ghost-*)
    check_ghost_files
    if [ "$P_BOOTINI" = 1 ]; then check_boot_ini; else check_store_entry; fi ;;
  uefi-*) check_uefi_boot ;;
esac

case $case_name in
  download-404)
    grep -q "\"GET /gone/a/$image HTTP/1.1\" 404" "$S_ACCESS" || fail "the server did not answer 404 for $image"
    has "下载失败" || fail "no 下载失败 line"
    has_text "[Download failed]" || fail "no [Download failed] line"
    has_text "下载成功" && fail "the log says 下载成功"
    [ -n "${dialog:-}" ] || fail "no message dialog (TAppmbox)"
    IFS=, read -r l t r b <<<"$(e2e_field "${dialog:-}" rect)"
    [ $((r - l))x$((b - t)) = 521x278 ] 2>/dev/null || fail "the dialog is not 521x278: ${dialog:-}"
    # Centred on the main window; OK offered, Cancel not.
    IFS=, read -r ml mt mr mb <<<"$(e2e_field "$(grep -m1 '^top .* class=Tvorel ' <<<"${dialog_probe:-}")" rect)"
    [ -n "${ml:-}" ] && [ $(((l + r) - (ml + mr))) -ge -2 ] && [ $(((l + r) - (ml + mr))) -le 2 ] &&
      [ $(((t + b) - (mt + mb))) -ge -2 ] && [ $(((t + b) - (mt + mb))) -le 2 ] ||
      fail "the dialog ($l,$t,$r,$b) is not centred on the main window (${ml:-?},${mt:-?},${mr:-?},${mb:-?})"
    grep -q '^  child .* visible=1 .* text=Btn_Ok$' <<<"${dialog_probe:-}" || fail "the dialog shows no OK button"
    grep -q '^  child .* visible=0 .* text=Btn_Exit$' <<<"${dialog_probe:-}" || fail "the dialog offers Cancel (Btn_Exit shown) or has none"
    e2e_dialog_text_check "$R_DIR/04-failure-dialog.png" "${dialog:-}" "提示：下载失败，请关闭程序后重试！" ||
      fail "the dialog does not show 提示：下载失败，请关闭程序后重试！ ($R_OCR)"
    nothing_on_c
    work_folder_removed
    shot 03-download
    ;;
  image-*)
    case $case_name in
      image-mismatch) line="错误：文件校验失败(D:\\ZqGhost\\$image)" text="提示：下载的文件校验失败，请重试！"
        grep -qE "\"GET /badsum/a/SHA256SUMS HTTP/1.1\" 20[06] " "$S_ACCESS" || fail "the server did not give /badsum/a/SHA256SUMS" ;;
      *) line="错误：下载的文件不是有效的系统镜像(D:\\ZqGhost\\$image)" text="提示：下载的文件不是有效的系统镜像，请重试！" ;;
    esac
    grep -qE "\"GET /${url#"$S_URL"/}/a/$image HTTP/1.1\" 20[06] " "$S_ACCESS" || fail "the server did not give $image (200 or 206)"
    has_text "$line" || fail "no log line $line"
    [ -n "${dialog:-}" ] || fail "no message dialog (TAppmbox)"
    e2e_dialog_text_check "$R_DIR/04-failure-dialog.png" "${dialog:-}" "$text" ||
      fail "the dialog does not show $text ($R_OCR)"
    has_text "提示：安装成功" && fail "the install went on"
    nothing_on_c
    work_folder_removed
    ;;
  bitlocker-data)
    has "错误：D盘已启用BitLocker加密，无法存放系统镜像！" || fail "no BitLocker refusal line: $(grep -F 错误： <<<"$log")"
    [ -n "${dialog:-}" ] || fail "no message dialog (TAppmbox)"
    e2e_dialog_text_check "$R_DIR/01-refusal-dialog.png" "${dialog:-}" "提示：D盘已启用BitLocker加密，无法存放系统镜像！" ||
      fail "the dialog does not show 提示：D盘已启用BitLocker加密，无法存放系统镜像！ ($R_OCR)"
    has "开始执行重装" && fail "the install began on a refused machine"
    [ -s "$S_ACCESS" ] && fail "the refused machine downloaded: $(head -3 "$S_ACCESS")"
    nothing_on_c
    work_folder_removed
    ;;
  close-message | session-end)
    [ "$case_name" = session-end ] && ! grep -q '^query=1 ' <<<"${asked:-}" &&
      fail "the program did not let the session end (WM_QUERYENDSESSION answered: ${asked:-nothing})"
    [ -z "${dialog_seen:-}" ] || fail "a message dialog came up while the program ended: $dialog_seen"
    has_text "下载成功" && fail "the download was not cut short (下载成功)"
    ! cmp -s "$M_DDIR/ZqGhost/$image" "$S_DIR/www/a/$image" || fail "the image arrived whole: the request was not during the download"
    nothing_on_c
    work_folder_removed
    ;;
  install-quit)
    has "下载成功" || fail "the download did not finish before the install page"
    has "安装中止：程序正在退出，引导修改已撤销" || fail "no 安装中止 line: $(grep -E '安装|错误' <<<"$log" | tail -3 | tr '\n' ' ')"
    [ -n "${dialog:-}" ] || fail "no quit question (TAppmbox)"
    e2e_dialog_text_check "$R_DIR/05-quit-question.png" "${dialog:-}" "提示：程序正在运行，确定要退出吗？" ||
      fail "the dialog does not show 提示：程序正在运行，确定要退出吗？ ($R_OCR)"
    nothing_armed
    work_folder_removed
    shot 04-install
    ;;
  proxy)
    # Every request of the program went through the proxy: the image's
    # pieces and the digest list are in its log.
    grep -qF "GET $served/a/$image HTTP/1.1" "$X_LOG" || fail "the proxy's log shows no request for $served/a/$image"
    grep -qF "GET $served/a/SHA256SUMS HTTP/1.1" "$X_LOG" || fail "the proxy's log shows no request for $served/a/SHA256SUMS"
    for s in 01-home 02-system-list 03-download 05-finish; do shot $s; done
    ;;
  proxy-down)
    has_text "错误：校验文件下载失败($url/a/SHA256SUMS)" || fail "no failed download of the digest list in the log: $(grep -F 错误 <<<"$log")"
    [ -n "${dialog:-}" ] || fail "no message dialog (TAppmbox)"
    e2e_dialog_text_check "$R_DIR/04-failure-dialog.png" "${dialog:-}" "提示：下载失败，请关闭程序后重试！" ||
      fail "the dialog does not show 提示：下载失败，请关闭程序后重试！ ($R_OCR)"
    [ -s "$S_ACCESS" ] && fail "the server was reached without the proxy: $(head -3 "$S_ACCESS")"
    nothing_on_c
    work_folder_removed
    ;;
  second-instance)
    [ "$(e2e_field "$before" visible)$(e2e_field "$before" iconic)" != 10 ] ||
      fail "Btn_mini left the window shown: $before"
    [ "${second_rc:-1}" = 0 ] || fail "the second instance ended with ${second_rc:-?} (timeout 60s)"
    [ "$(e2e_field "$after" visible)$(e2e_field "$after" iconic)" = 10 ] ||
      fail "the first instance was not shown again: $after"
    [ "$(e2e_field "$after" pid)" = "$(e2e_field "$before" pid)" ] || fail "the window shown is not the first instance's"
    [ "$page_after" = download ] || fail "the first instance shows '$page_after', not the download page"
    [ "$(grep -cE '^.{19} Begin$' <<<"$log")" = 2 ] || fail "not two Begin blocks (first and second start) in the log"
    [ "$(grep -cF '开始下载' <<<"$log")" = 1 ] || fail "not exactly one download started"
    nothing_on_c
    work_folder_removed
    shot 04-minimised; shot 05-raised
    ;;
  tray-quit)
    has "下载失败" || fail "no 下载失败 line after the quit"
    has_text "下载成功" && fail "the download was not cut short (下载成功)"
    ! cmp -s "$M_DDIR/ZqGhost/$image" "$S_DIR/www/a/$image" || fail "the image arrived whole: the quit was not during the download"
    nothing_on_c
    work_folder_removed
    shot 04-tray-menu
    ;;
esac

if [ $failures -ne 0 ]; then
  echo "---- report ($dir/report.txt)"
  cat "$dir/report.txt"
  echo "$case_name: $failures check(s) failed"
  exit 1
fi
# A passing run keeps its report and screenshots, not its machine.
wine_server_stop "$M_PREFIX"
rm -rf "$M_PREFIX"
echo "$case_name: all checks passed ($(grep -c . <<<"$(printf '%s\n' "${R_STEPS[@]}")") steps; report $dir/report.txt)"
