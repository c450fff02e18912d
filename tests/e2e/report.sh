# What a run changed, read back from the machine: file listings of C: and D:
# before and after (with the attributes Wine keeps), the boot entries, the
# Ghost command file, the hand-off files with the image path decoded, the
# restart command, and the disk listing of the carried tool.
#
#   e2e_snapshot NAME     lists C: and D: into $R_DIR/NAME-{c,d}.lst
#   e2e_report_changes    prints new, changed and removed files with attributes
#   e2e_report_boot, e2e_report_handoff, e2e_report_restart
#   e2e_write_report RESULT-TEXT   the whole report, into $R_DIR/report.txt
#                                  and on standard output

# One line per file: path, size, modification time, kind.
e2e_snapshot() {
  (cd "$M_PREFIX/drive_c" && find . -mindepth 1 -printf '%P\t%s\t%T@\t%y\n' | LC_ALL=C sort) >"$R_DIR/$1-c.lst"
  (cd "$M_DDIR" && find . -mindepth 1 -printf '%P\t%s\t%T@\t%y\n' | LC_ALL=C sort) >"$R_DIR/$1-d.lst"
}

# Paths (letter:\path) new or changed between two listings, and removed ones.
e2e_diff_listing() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys
def load(p):
    out = {}
    for line in open(p, encoding="utf-8", errors="surrogateescape"):
        path, size, mtime, kind = line.rstrip("\n").split("\t")
        out[path] = (size, mtime, kind)
    return out
before, after, letter = load(sys.argv[1]), load(sys.argv[2]), sys.argv[3]
for path in sorted(after):
    if path not in before:
        state = "new"
    elif after[path] != before[path] and after[path][2] != "d":
        state = "changed"
    else:
        continue
    print(state, after[path][2], after[path][0], letter + ":\\" + path.replace("/", "\\"), sep="\t")
for path in sorted(set(before) - set(after)):
    print("removed", before[path][2], before[path][0], letter + ":\\" + path.replace("/", "\\"), sep="\t")
PY
}

# Attributes as Windows sees them, through Wine's attrib, for a list of
# Windows paths (one call for all of them).
e2e_attributes() {
  local list=$1 batch=$R_DIR/attrib.cmd
  [ -s "$list" ] || return 0
  {
    printf '@echo off\r\n'
    while IFS= read -r p; do printf 'attrib "%s"\r\n' "$p"; done <"$list"
  } | iconv -f utf-8 -t gbk >"$batch"
  e2e_wine_out cmd /c "$(e2e_winpath "$batch")" | iconv -f gbk -t utf-8 -c | tr -d '\r'
}

e2e_report_changes() {
  local d=$R_DIR changes=$R_DIR/changes.tsv
  {
    e2e_diff_listing "$d/before-c.lst" "$d/after-c.lst" C
    e2e_diff_listing "$d/before-d.lst" "$d/after-d.lst" D
  } >"$changes"
  if [ ! -s "$changes" ]; then
    echo "(nothing changed on C: or D:)"
    return
  fi
  awk -F'\t' '$1 != "removed" && $2 == "f" {print $4}' "$changes" >"$d/changed-files.txt"
  e2e_attributes "$d/changed-files.txt" >"$d/attributes.txt"
  python3 - "$changes" "$d/attributes.txt" <<'PY'
import sys
attrs = {}
for line in open(sys.argv[2], encoding="utf-8"):
    line = line.rstrip("\n")
    at = line.find(":\\")
    if at > 0:
        attrs[line[at - 1:].lower()] = line[: at - 1].strip() or "-"
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    state, kind, size, path = line.rstrip("\n").split("\t")
    if kind == "d":
        print(f"  {state:8} {'<DIR>':>12}  {'':8} {path}\\")
    else:
        print(f"  {state:8} {size:>12}  {attrs.get(path.lower(), '?'):8} {path}")
PY
}

# A text file of the machine, decoded from the code page it is in.
e2e_show_file() {
  local title=$1 file=$2 enc=${3:-gbk}
  if [ -f "$file" ]; then
    echo "$title:"
    iconv -f "$enc" -t utf-8 -c <"$file" | sed 's/^\xEF\xBB\xBF//; s/\r$//; s/^/  /'
  else
    echo "$title: (not there)"
  fi
}

e2e_report_boot() {
  local c=$M_PREFIX/drive_c
  if [ "$P_BOOTINI" = 1 ] || [ -f "$c/boot.ini" ]; then
    e2e_show_file 'C:\boot.ini' "$c/boot.ini"
  fi
  # The boot store: the system's, or the text store of the editor stand-in
  # that the program writes where Windows has none.
  local store
  store=$(find "$c" -maxdepth 2 -ipath "$c/boot/bcd" 2>/dev/null | head -1)
  if [ -n "$store" ]; then
    e2e_show_file 'C:\Boot\BCD (the boot store)' "$store" utf-8
  else
    echo 'C:\Boot\BCD (the boot store): (not there)'
  fi
}

# The image path of a hand-off line, decoded: hex digits, each byte combined
# with the hand-off key by exclusive or, in the ANSI code page.
e2e_decode_handoff() {
  python3 -c '
import sys
key = bytes.fromhex("3C915E07D42A68B3")
data = bytes.fromhex(sys.argv[1])
print(bytes(b ^ key[i % 8] for i, b in enumerate(data)).decode("gbk", "replace"))' "$1"
}

e2e_report_handoff() {
  local c=$M_PREFIX/drive_c f found=0
  for f in "$c/Ghost.ba_" "$c/KFun.JP" "$M_DDIR/GFun.JP"; do
    [ -f "$f" ] || continue
    found=1
    e2e_show_file "$(basename "$f") on $([ "${f#"$M_DDIR"}" != "$f" ] && echo D: || echo C:)" "$f"
  done
  [ $found = 1 ] || echo 'Ghost.ba_, KFun.JP, GFun.JP: (none written)'
  if [ -f "$c/KFun.JP" ]; then
    local line key value
    while IFS= read -r line; do
      line=${line%$'\r'}
      key=${line%%=*} value=${line#*=}
      case "$key" in GHO | WIM | ISO)
        [[ "$value" =~ ^[0-9A-F]+$ ]] && echo "  $key decoded: $(e2e_decode_handoff "$value")" ;;
      esac
    done <"$c/KFun.JP"
  fi
}

e2e_report_restart() {
  if [ -s "$R_RESTART" ]; then
    echo "restart command recorded (shutdown.exe stand-in): $(tr -d '\r' <"$R_RESTART")"
  else
    echo "restart command: none recorded"
  fi
}

# The carried disk listing tool, run in the machine as the program runs it.
e2e_disk_listing() {
  local tool=$1
  mkdir -p "$M_PREFIX/drive_c/Lumora"
  cp "$tool" "$M_PREFIX/drive_c/Lumora/FerroYX.exe"
  e2e_wine_out 'C:\Lumora\FerroYX.exe' -kelvast | tr -d '\r'
  rm -f "$M_PREFIX/drive_c/Lumora/FerroYX.exe"
}

# Needs the program ($R_EXE), the disk listing ($R_LISTING), this run's log
# ($R_LOGTEXT) and whether the program was still running at the end
# ($R_RUNNING).
e2e_write_report() {
  local result=$1 s
  {
    echo "================ Lumora end-to-end report"
    echo "profile:   $P_NAME: $P_TEXT"
    echo "machine:   Windows $P_WINVER, ntdll.dll $P_NTDLL in $M_TEMP_WIN\\ntdll.dll, $M_ARCH prefix $M_PREFIX"
    [ -n "$M_NOTE" ] && echo "note:      $M_NOTE"
    echo "server:    $R_BASE_URL/a/ ($(e2e_catalogue_files | tr '\n' ' ')KRP8PE6F.ISO)"
    echo "program:   $R_EXE ($R_RUNNING at the end of the run)"
    echo
    echo "---- steps"
    for s in "${R_STEPS[@]}"; do echo "  $s"; done
    echo
    echo "---- disk 0 as the carried FerroYX.exe lists it (-kelvast)"
    sed 's/^/  /' <<<"$R_LISTING"
    echo
    echo "---- run log (C:\\windows\\temp\\OrvekRun.LOG, decoded from GBK)"
    sed 's/^/  /' <<<"$R_LOGTEXT"
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
    echo "result: $result"
  } >"$R_DIR/report.txt"
  cat "$R_DIR/report.txt"
  printf '%s\n' "$R_LISTING" >"$R_DIR/disk-listing.txt"
  printf '%s\n' "$R_LOGTEXT" >"$R_DIR/run-log.txt"
}
