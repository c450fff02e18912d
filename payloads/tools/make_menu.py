#!/usr/bin/env python3
"""Writes the GRUB4DOS menu carried as PE/CDA: a UTF-8 byte-order mark, then
23 lines each ended by CR LF. Blanks inside the lines are significant."""
import sys

LINES = [
    "debug off",
    "timeout 3",
    "default 0",
    "",
    "title  01.START PE",
    "echo -e \\n$[0003]  Now Loading PE8",
    "echo -e \\n$[0003]  This process may take a few minutes...",
    "find --set-root --ignore-floppies --ignore-cd /BOOT/KRP8PE6F.ISO && map /BOOT/KRP8PE6F.ISO (0xff) || map --mem /BOOT/KRP8PE6F.ISO (0xff)",
    "map --hook",
    "chainloader (0xff)",
    "boot",
    "",
    "title  02.START WINDOWS ",
    "find --set-root --devices=h /ntldr || find --set-root --devices=h /bootmgr || configfile (bd)/BOOT/GRUB/MENU.LST",
    "map (hd0) ()",
    "map () (hd0)",
    "map --rehook",
    "find --set-root --devices=h /ntldr || find --set-root --devices=h /bootmgr",
    "chainloader /ntldr || chainloader /bootmgr",
    "",
    "",
    "",
    "",
]

def main():
    data = b"\xef\xbb\xbf" + b"".join(line.encode("utf-8") + b"\r\n" for line in LINES)
    with open(sys.argv[1], "wb") as f:
        f.write(data)

if __name__ == "__main__":
    main()
