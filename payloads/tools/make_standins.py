#!/usr/bin/env python3
"""Writes our stand-ins for the third-party boot files into OUTDIR.

Each stand-in has the file name and the first bytes the boot chains and
their tests look for, and says plainly that it is a placeholder; a packager
replaces them with the real files (see the README)."""
import os
import sys

def note(name):
    return ("Lumora stand-in for %s. Replace it with the real file when packaging.\r\n" % name).encode()

def pad(data, size):
    return data + b"\0" * max(0, size - len(data))

def efi(name, arch):
    # A PE image header start ("MZ") and an architecture tag, so the 64-bit and
    # 32-bit sets differ and tests can tell which one was written.
    return pad(b"MZ" + b"\0" * 58 + b"\x40\0\0\0" + note("%s (%s EFI)" % (name, arch)), 4096)

def main():
    out = sys.argv[1]
    files = {
        "krppe": pad(note("the GRUB4DOS loader renamed krppe (KRPPE)"), 8192),
        "krppe.mbr": pad(note("the GRUB4DOS boot record that starts krppe; No krppe"), 8192),
        "BOOT.SDI": pad(b"$SDI0001" + b"\0" * 8 + note("boot.sdi"), 8192),
        "wvldr": pad(note("wvldr, the restore environment loader for boot.ini"), 4096),
        "wvldr.mbr": pad(note("wvldr.mbr, the restore environment boot record"), 9216),
        "Varnix.ima": pad(b"\xeb\x3c\x90LUMORA  " + note("Varnix.ima, the restore environment disk image"), 65536),
    }
    for arch, suffix in (("x64", ""), ("x86", "X86")):
        for key, name in (("BOOTMGR", "bootmgr.efi"), ("BOOTMGFW", "bootmgfw.efi"), ("MEMTEST", "memtest.efi"),
                          ("MUIA", "bootmgfw.efi.mui"), ("MUIB", "bootmgr.efi.mui"), ("MUIC", "memtest.efi.mui")):
            files["efi/%s%s" % (key, suffix)] = efi(name, arch)
    # The download engine's 40-byte partner file.
    files["id.dat"] = b"[partner]\r\nid=20170818\r\nver = 3.2.1.46\r\n"
    assert len(files["id.dat"]) == 40
    for rel, data in files.items():
        path = os.path.join(out, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

if __name__ == "__main__":
    main()
