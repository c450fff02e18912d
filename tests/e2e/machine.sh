# Makes the Wine prefix of one machine profile (see profiles.sh): a copy of a
# base prefix made once with wineboot, set to the profile's Windows version,
# with C: (the prefix's drive_c) and D: backed by folders, disk 0 a sparse
# image partitioned by sfdisk or sgdisk and linked as dosdevices/physicaldrive0,
# the profile's ntdll.dll version in %temp%\ntdll.dll, boot.ini on XP, and a
# shutdown.exe that records the restart instead of doing it.
#
# Wine answers C: as partition 1 and D: as partition 2 of disk 0, so the
# image puts the two partitions there with the profile's sizes; the disk
# listing tool then describes the same drives Windows shows. The machine is a
# desktop as Windows Setup leaves one (SetupType 0 under HKLM\SYSTEM\Setup).
#
#   source tests/e2e/common.sh tests/e2e/profiles.sh tests/e2e/machine.sh
#   e2e_profile win7 && e2e_make_machine /path/to/prefix
#
# After it: M_PREFIX, M_DDIR (the folder behind D:), M_IMAGE (disk 0),
# M_TEMP_WIN / M_TEMP (%temp% as Windows and host path), M_ARCH (win32 or
# win64 prefix) and M_NOTE (what the prefix cannot play, or empty).

# The machine type of a PE file: x86_64 or i686.
e2e_pe_machine() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read(4096)
pe = struct.unpack_from("<I", data, 0x3C)[0]
print("x86_64" if struct.unpack_from("<H", data, pe + 4)[0] == 0x8664 else "i686")
PY
}

# The fixtures for a profile, built once with mingw into $E2E_WORK/fixtures.
#
# Wine's version functions, asked about any file named ntdll.dll that the
# calling process could load, answer from the ntdll already loaded (Wine's
# own, 6.1.7601.24059). A stand-in built for the other architecture cannot
# be loaded and is read as a file, so the stand-in is made for the machine
# type the program is not (E2E_PROGRAM_MACHINE; for the shipped 32-bit
# program on 64-bit Windows that is the 32-bit ntdll it would copy anyway).
e2e_fixtures() {
  local dir=$E2E_WORK/fixtures
  local arch=x86_64
  [ "${E2E_PROGRAM_MACHINE:-x86_64}" = x86_64 ] && arch=i686
  mkdir -p "$dir"
  F_NTDLL=$dir/ntdll-$P_NTDLL-$arch.dll F_DIR=$dir
  # Runs made at the same time share the folder: one builds, the others wait.
  (
    flock 9
    e2e_build_fixtures "$dir" "$arch"
  ) 9>"$dir.lock"
}

e2e_build_fixtures() {
  local dir=$1 arch=$2 src=$E2E_REPO/tests/e2e/fixtures
  local dll=$dir/ntdll-$P_NTDLL-$arch.dll
  if [ ! -s "$dll" ] || [ "$src/version_dll.rc.in" -nt "$dll" ]; then
    local v1 v2 v3 v4
    IFS=. read -r v1 v2 v3 v4 <<<"$P_NTDLL"
    sed -e "s/@V1@/$v1/; s/@V2@/$v2/; s/@V3@/$v3/; s/@V4@/${v4:-0}/; s/@TEXT@/$P_NTDLL/g" \
      "$src/version_dll.rc.in" >"$dir/ntdll-$P_NTDLL.rc"
    "$arch-w64-mingw32-windres" "$dir/ntdll-$P_NTDLL.rc" -O coff -o "$dir/ntdll-$P_NTDLL-$arch.res.o" &&
      "$arch-w64-mingw32-gcc" -shared -s -o "$dll" "$src/version_dll.c" "$dir/ntdll-$P_NTDLL-$arch.res.o" ||
      { e2e_say "cannot build the ntdll.dll stand-in"; return 1; }
  fi
  # The restart recorder, the window probe and the programs some cases put
  # in the machine (the session end, the slow boot-store editor), for both
  # machine types: a 64-bit prefix runs the 64-bit ones from system32 and
  # the 32-bit ones from syswow64 (where a 32-bit program's cmd finds
  # shutdown.exe).
  local name a
  for name in restart_recorder window_probe session_end slow_bcdedit; do
    for a in x86_64 i686; do
      local exe=$dir/$name-$a.exe
      if [ ! -s "$exe" ] || [ "$src/$name.c" -nt "$exe" ]; then
        "$a-w64-mingw32-gcc" -s -O2 -o "$exe" "$src/$name.c" -luser32 -lshell32 ||
          { e2e_say "cannot build the fixture $name ($a)"; return 1; }
      fi
    done
  done
}

# The private display scripts/wine-run started for a prefix, ended by the
# process id it noted (only while that process is still an Xvfb).
e2e_end_display() {
  local prefix=$1 pid
  pid=$(cat "$prefix.xvfb" 2>/dev/null || true)
  if [ -n "$pid" ] && [ "$(ps -o comm= -p "$pid" 2>/dev/null)" = Xvfb ]; then
    kill "$pid" 2>/dev/null
    local _
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -f "$prefix.xvfb" "$prefix.display"
}

# The base prefix of an architecture, made once by scripts/wine-run, its
# server and display ended afterwards. The lock here must not be the
# prefix's own lock (PREFIX.lock): scripts/wine-run takes that one while it
# makes the prefix and would wait for this holder forever.
e2e_base_prefix() {
  local arch=$1 base=$E2E_WORK/base-$1
  (
    flock 9
    if [ ! -f "$base/.lumora-ready" ]; then
      e2e_say "making the base Wine prefix ($arch) with wineboot, once"
      [ "$arch" = win32 ] && export WINEARCH=win32
      LUMORA_WINEPREFIX=$base "$E2E_REPO/scripts/wine-run" cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&- || true
      wine_server_stop "$base"
      rm -f "$base/.lumora-server"
      e2e_end_display "$base"
    fi
  ) 9>"$E2E_WORK/base-$arch.making"
  [ -f "$base/.lumora-ready" ] || { e2e_say "no base prefix at $base"; return 1; }
  E2E_BASE=$base
}

# Runs a program in the machine's prefix (Unix output).
e2e_wine() { LUMORA_WINEPREFIX=$M_PREFIX "$E2E_REPO/scripts/wine-run" "$@"; }

# The same, its output through a file and printed when it ends: a Wine
# process it starts on the way (the desktop, a service) may live on, and one
# holding a pipe of ours would keep the caller waiting.
e2e_wine_out() {
  local out rc
  out=$(mktemp)
  e2e_wine "$@" </dev/null >"$out" 2>/dev/null
  rc=$?
  cat "$out"
  rm -f "$out"
  return $rc
}

# Ends the prefix's Wine server and everything running in it, and forgets
# that its services were started (scripts/wine-run starts them again).
e2e_stop_wine() {
  wine_server_stop "$M_PREFIX"
  rm -f "$M_PREFIX/.lumora-server"
}

e2e_set_version() {
  # winecfg refuses a version its prefix has no entry for (Windows XP is
  # winxp64 in a 64-bit prefix); the registry value it writes is then set
  # directly, and Wine's version functions follow it.
  if ! e2e_wine winecfg /v "$P_WINVER" >/dev/null 2>&1; then
    e2e_wine reg add 'HKCU\Software\Wine' /v Version /d "$P_WINVER" /f >/dev/null 2>&1 ||
      { e2e_say "cannot set the Windows version $P_WINVER"; return 1; }
  fi
}

# NTFS, BitLocker or FAT32 boot sector marks at a partition's first sector,
# so the disk listing tool's file-system sniffing sees what Windows would. A
# BitLocker volume's boot sector carries "-FVE-FS-" at offset 3.
e2e_mark_fs() {
  local image=$1 sector=$2 kind=$3
  if [ "$kind" = ntfs ]; then
    printf '\xEB\x52\x90NTFS    ' | dd of="$image" bs=512 seek="$sector" conv=notrunc status=none
  elif [ "$kind" = bitlocker ]; then
    printf '\xEB\x58\x90-FVE-FS-' | dd of="$image" bs=512 seek="$sector" conv=notrunc status=none
  else
    printf '\xEB\x58\x90MSDOS5.0' | dd of="$image" bs=512 seek="$sector" conv=notrunc status=none
    printf 'FAT32   ' | dd of="$image" bs=1 seek=$((sector * 512 + 82)) conv=notrunc status=none
  fi
}

e2e_make_disk() {
  local image=$1 c=$((P_C_GIB * 2097152)) d=$((P_D_GIB * 2097152))
  rm -f "$image"
  truncate -s $(((P_C_GIB + P_D_GIB + 1) * 1024))M "$image"
  if [ "$P_TABLE" = mbr ]; then
    printf 'label: dos\nunit: sectors\nstart=2048, size=%s, type=7, bootable\nstart=%s, size=%s, type=7\n' \
      "$c" $((2048 + c)) "$d" | /usr/sbin/sfdisk --no-reread --no-tell-kernel -q "$image" >/dev/null ||
      { e2e_say "sfdisk failed"; return 1; }
    e2e_mark_fs "$image" 2048 ntfs
    e2e_mark_fs "$image" $((2048 + c)) "${P_D_FS:-ntfs}"
  else
    # C: and D: first (Wine calls them partitions 1 and 2), then the EFI
    # system partition, 100 MiB.
    LC_ALL=C /usr/sbin/sgdisk -n "1:2048:+${P_C_GIB}G" -t 1:0700 -c "1:Basic data partition" \
      -n "2:0:+${P_D_GIB}G" -t 2:0700 -c "2:Basic data partition" \
      -n 3:0:+100M -t 3:ef00 -c "3:EFI system partition" "$image" >/dev/null ||
      { e2e_say "sgdisk failed"; return 1; }
    local s kind
    for s in 1 2 3; do
      local first
      first=$(LC_ALL=C /usr/sbin/sgdisk -i "$s" "$image" | awk '/^First sector/ {print $3}')
      case $s in 1) kind=ntfs ;; 2) kind=${P_D_FS:-ntfs} ;; 3) kind=fat ;; esac
      e2e_mark_fs "$image" "$first" "$kind"
    done
  fi
}

e2e_write_boot_ini() {
  # The boot.ini of a Windows XP installed on partition 1, hidden and system
  # as Setup leaves it.
  printf '%s\r\n' '[boot loader]' 'timeout=30' \
    'default=multi(0)disk(0)rdisk(0)partition(1)\WINDOWS' '[operating systems]' \
    'multi(0)disk(0)rdisk(0)partition(1)\WINDOWS="Microsoft Windows XP Professional" /noexecute=optin /fastdetect' \
    >"$M_PREFIX/drive_c/boot.ini"
  # Wine's attrib takes one flag per call.
  e2e_wine attrib +h 'C:\boot.ini' >/dev/null 2>&1
  e2e_wine attrib +s 'C:\boot.ini' >/dev/null 2>&1
}

# The machine's registry in one import: a desktop (Windows Setup ends by
# writing SetupType 0; a bare prefix has no such value, which the program
# takes for a deployment environment), and shutdown.exe loaded from the file
# the recorder puts in the system folders rather than Wine's own.
e2e_write_registry() {
  local reg=$M_PREFIX/lumora-machine.reg
  printf '%s\r\n' 'REGEDIT4' '' '[HKEY_LOCAL_MACHINE\SYSTEM\Setup]' '"SetupType"=dword:00000000' '' \
    '[HKEY_CURRENT_USER\Software\Wine\DllOverrides]' '"shutdown.exe"="native"' >"$reg"
  e2e_wine regedit /s "$(e2e_winpath "$reg")" >/dev/null 2>&1 || { e2e_say "cannot import $reg"; return 1; }
  rm -f "$reg"
}

e2e_install_recorder() {
  # Wine's own shutdown.exe is replaced in both system folders (the registry
  # loads the native file).
  local win=$M_PREFIX/drive_c/windows
  if [ "$M_ARCH" = win32 ]; then
    cp "$F_DIR/restart_recorder-i686.exe" "$win/system32/shutdown.exe"
  else
    cp "$F_DIR/restart_recorder-x86_64.exe" "$win/system32/shutdown.exe"
    cp "$F_DIR/restart_recorder-i686.exe" "$win/syswow64/shutdown.exe"
  fi
}

# A bcdedit.exe in the system folders that takes three seconds for every
# command and then runs the build's boot-store editor (TOOL, copied to
# C:\windows\lumora-bootstore.exe): the program finds it before its carried
# editor, and the boot preparation (the install page) lasts long enough to be
# acted on.
e2e_install_slow_bcdedit() {
  local tool=$1 win=$M_PREFIX/drive_c/windows
  [ -f "$tool" ] || { e2e_say "no boot-store editor at '$tool'"; return 1; }
  cp "$tool" "$win/lumora-bootstore.exe"
  if [ "$M_ARCH" = win32 ]; then
    cp "$F_DIR/slow_bcdedit-i686.exe" "$win/system32/bcdedit.exe"
  else
    cp "$F_DIR/slow_bcdedit-x86_64.exe" "$win/system32/bcdedit.exe"
    cp "$F_DIR/slow_bcdedit-i686.exe" "$win/syswow64/bcdedit.exe"
  fi
}

# The prefix type that plays the profile: a 32-bit Windows is a win32 prefix
# when this machine runs 32-bit code and the program is a 32-bit build; else
# a win64 prefix, and M_NOTE says what it cannot play.
e2e_machine_arch() {
  M_ARCH=win64 M_NOTE=""
  [ "$P_BITS" = 32 ] || return 0
  if [ "$E2E_CAN32" != 1 ]; then
    M_NOTE="this machine cannot run 32-bit code (no wine32), so the 32-bit $P_WINVER is played by a 64-bit prefix: the version, ntdll and disks are the profile's, the bitness is not"
  elif [ "${E2E_PROGRAM_MACHINE:-i686}" = x86_64 ]; then
    M_NOTE="the program is the 64-bit test build, which 32-bit Windows cannot run, so the 32-bit $P_WINVER is played by a 64-bit prefix: the version, ntdll and disks are the profile's, the bitness is not"
  else
    M_ARCH=win32
  fi
}

e2e_make_machine() {
  M_PREFIX=$1
  e2e_machine_arch
  e2e_fixtures && e2e_base_prefix "$M_ARCH" || return 1
  M_PROBE=$F_DIR/window_probe-$([ "$M_ARCH" = win32 ] && echo i686 || echo x86_64).exe
  [ -n "$M_NOTE" ] && e2e_say "note: $M_NOTE"

  wine_server_stop "$M_PREFIX"
  e2e_end_display "$M_PREFIX"
  rm -rf "$M_PREFIX"
  mkdir -p "$(dirname "$M_PREFIX")"
  cp -a --reflink=auto "$E2E_BASE" "$M_PREFIX"
  rm -f "$M_PREFIX/.lumora-server"

  e2e_set_version && e2e_write_registry || return 1
  e2e_install_recorder
  local temp
  temp=$(e2e_wine_out cmd /c echo %TEMP% | tr -d '\r')
  case "$temp" in [Cc]:\\*) ;; *) e2e_say "cannot read %TEMP% ($temp)"; return 1 ;; esac
  M_TEMP_WIN=$temp
  M_TEMP=$M_PREFIX/drive_c/$(printf '%s' "${temp:3}" | tr '\\' /)
  mkdir -p "$M_TEMP"
  cp "$F_NTDLL" "$M_TEMP/ntdll.dll"
  [ "$P_BOOTINI" = 1 ] && e2e_write_boot_ini

  # Wine reads its drives when its server starts: stop it, then give the
  # prefix exactly C:, D: and disk 0.
  e2e_stop_wine
  local mdir=$M_PREFIX/lumora-machine
  mkdir -p "$mdir/d"
  M_DDIR=$mdir/d M_IMAGE=$mdir/disk0.img
  e2e_make_disk "$M_IMAGE" || return 1
  local link
  for link in "$M_PREFIX"/dosdevices/*; do
    case "${link##*/}" in c: | z: | com* | lpt*) ;; *) rm -f "$link" ;; esac
  done
  ln -sfn "$M_IMAGE" "$M_PREFIX/dosdevices/physicaldrive0"
  ln -sfn "$M_DDIR" "$M_PREFIX/dosdevices/d:"
  {
    echo "profile=$P_NAME"
    echo "text=$P_TEXT"
    echo "winver=$P_WINVER bits=$P_BITS table=$P_TABLE ntdll=$P_NTDLL arch=$M_ARCH"
    echo "note=$M_NOTE"
  } >"$mdir/profile.txt"
}
