#!/usr/bin/env bash
# End-to-end check of what Lumora.exe does today on a machine profile: runs
# tests/e2e/run.sh and checks the run log header for the profile (the NT
# version line is the profile's ntdll version; the Chinese lines are GBK,
# not UTF-8), the disk listing of the carried tool against the profile's
# disk, and, once the start-up reads the disks, the drives it settles on.
#
#   check_start.sh Lumora.exe FerroYX.exe WORK-DIR [PROFILE]
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exe=$1 tool=$2 work=$3 profile=${4:-win7}
# shellcheck source=/dev/null
. "$here/profiles.sh"
e2e_profile "$profile" || exit 2
mkdir -p "$work"
out=$work/$profile-run
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$here/run.sh" --exe "$exe" --tool "$tool" --profile "$profile" \
  --prefix "$work/$profile-prefix" --out "$out" >"$work/$profile-report.txt" 2>&1
rc=$?
# 0 (finish page) and 3 (as far as the program goes today) are runs that worked.
[ $rc = 0 ] || [ $rc = 3 ] || fail "run.sh ended with $rc"

raw=$work/$profile-prefix/drive_c/windows/temp/OrvekRun.LOG
[ -s "$raw" ] || fail "no run log"
iconv -f gbk -t utf-8 <"$raw" >/dev/null 2>&1 || fail "the run log is not GBK text"
grep -qaF $'\xE7\xB3\xBB\xE7\xBB\x9F' "$raw" && fail "UTF-8 text (系统) in the run log"
log=$(iconv -f gbk -t utf-8 -c <"$raw" | tr -d '\r')
has() { grep -qxE "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} $1" <<<"$log"; }
has "Begin" || fail "no Begin line"
has "=+ Basic =+" || fail "no Basic line"
has "=+ Start =+" || fail "no Start line"
has "NT版本：${P_NTDLL//./\\.}" || fail "NT version line is not the profile's ntdll $P_NTDLL: $(grep -F NT版本 <<<"$log")"
case $P_WINVER in
  winxp) sys="Windows XP" ver="5\\.1" ;;
  win7) sys="Windows 7" ver="6\\.1" ;;
  win10) sys="Windows 10" ver="10\\.0" ;;
esac
has "系统信息：${sys}.*\\((Version|Ver) ${ver}.*" || fail "system line does not name $sys: $(grep -F 系统信息 <<<"$log")"
has "系统语言：中文简体" || fail "no Simplified Chinese language line"
has "程序路径：C:\\\\Lumora\\\\" || fail "program path line is not C:\\Lumora\\"

# The carried tool lists the profile's disk: C: partition 1, D: partition 2.
T=$'\t'
listing=$(cat "$out/disk-listing.txt" 2>/dev/null)
table=$(tr a-z A-Z <<<"$P_TABLE")
grep -qE "^1:1${T}C:${T}${P_C_GIB}\\.00GB${T}[0-9.]+GB${T}Primary${T}NTFS${T}${T}${table}${T}" <<<"$listing" ||
  fail "disk listing has no C: as 1:1 of ${P_C_GIB} GB ($table)"
grep -qE "^1:2${T}D:${T}${P_D_GIB}\\.00GB${T}[0-9.]+GB${T}Primary${T}NTFS${T}${T}${table}${T}" <<<"$listing" ||
  fail "disk listing has no D: as 1:2 of ${P_D_GIB} GB ($table)"
if [ "$P_TABLE" = gpt ]; then
  grep -qE "^1:3${T} +${T}0\\.10GB${T}unknown${T}EFI${T}FAT32${T}" <<<"$listing" || fail "disk listing has no EFI partition"
fi

# Once the start-up reads the disks, it must settle on D: for the data and
# on disk 1, partition 1 for the system.
if grep -qF "读取磁盘信息" <<<"$log"; then
  has '数据目录：D:\\ZqGhost\\' || fail "data directory is not D:\\ZqGhost\\: $(grep -F 数据目录 <<<"$log")"
  has '系统分区磁盘序号：\[1:1\] 盘符：\[C:\]' || fail "system partition is not 1:1 on C:: $(grep -F 系统分区 <<<"$log")"
  grep -qF "错误：" <<<"$log" && fail "the start-up refused the machine: $(grep -F 错误： <<<"$log")"
else
  echo "note: this Lumora.exe does not read the disks at start-up yet; the drive checks wait for it"
fi

if [ $failures -ne 0 ]; then
  echo "---- report"; cat "$work/$profile-report.txt"
  exit 1
fi
echo "end-to-end start on profile $profile: all checks passed"
