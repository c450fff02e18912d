# Machine profiles of the end-to-end runs: each is a short description that
# tests/e2e/machine.sh turns into a Wine prefix playing that Simplified
# Chinese machine. Every profile is a desktop machine as a user has it
# (HKLM\SYSTEM\Setup: SetupType 0), so the run log reads "桌面环境".
#
#   e2e_profile NAME     sets the P_* variables below, or fails for an unknown name
#   e2e_profile_names    prints the known names
#
# P_WINVER   Windows version for winecfg: winxp, win7, win8, win81 or win10
# P_BITS     32 or 64 (the bitness of the Windows played)
# P_TABLE    mbr or gpt (partition table of disk 0)
# P_NTDLL    product version of that Windows' ntdll.dll
# P_C_GIB    size of C: (partition 1 of disk 0), P_D_GIB size of D: (partition 2)
# P_BOOTINI  1 when C:\boot.ini is there (Windows XP)
# P_TEXT     one line for the report

e2e_profile_names() {
  echo "win7 xp win10-gpt win10 win7-32 win8 win81 win7-gpt win10-32-gpt"
}

e2e_profile() {
  P_NAME=$1 P_BOOTINI=0 P_C_GIB=60 P_D_GIB=100
  case "$1" in
    win7)      P_WINVER=win7  P_BITS=64 P_TABLE=mbr P_NTDLL=6.1.7601.17514
               P_TEXT="Windows 7 SP1 64-bit, MBR disk, C: and D:" ;;
    win7-32)   P_WINVER=win7  P_BITS=32 P_TABLE=mbr P_NTDLL=6.1.7601.17514
               P_TEXT="Windows 7 SP1 32-bit, MBR disk, C: and D:" ;;
    xp)        P_WINVER=winxp P_BITS=32 P_TABLE=mbr P_NTDLL=5.1.2600.5512 P_BOOTINI=1 P_C_GIB=20
               P_TEXT="Windows XP SP3 32-bit, MBR disk, C: (with boot.ini) and D:" ;;
    win10)     P_WINVER=win10 P_BITS=64 P_TABLE=mbr P_NTDLL=10.0.19041.1
               P_TEXT="Windows 10 64-bit, MBR disk, C: and D:" ;;
    win10-gpt) P_WINVER=win10 P_BITS=64 P_TABLE=gpt P_NTDLL=10.0.19041.1
               P_TEXT="Windows 10 64-bit, GPT disk (C:, D: and an EFI system partition)" ;;
    win10-32-gpt)
               P_WINVER=win10 P_BITS=32 P_TABLE=gpt P_NTDLL=10.0.19041.1
               P_TEXT="Windows 10 32-bit, GPT disk (C:, D: and an EFI system partition)" ;;
    win7-gpt)  P_WINVER=win7  P_BITS=64 P_TABLE=gpt P_NTDLL=6.1.7601.17514
               P_TEXT="Windows 7 SP1 64-bit, GPT disk (C:, D: and an EFI system partition)" ;;
    win8)      P_WINVER=win8  P_BITS=64 P_TABLE=mbr P_NTDLL=6.2.9200.16384
               P_TEXT="Windows 8 64-bit, MBR disk, C: and D:" ;;
    win81)     P_WINVER=win81 P_BITS=64 P_TABLE=mbr P_NTDLL=6.3.9600.17415
               P_TEXT="Windows 8.1 64-bit, MBR disk, C: and D:" ;;
    *) echo "unknown machine profile '$1' (known: $(e2e_profile_names))" >&2; return 1 ;;
  esac
}
