#!/usr/bin/env python3
"""Writes the crafted zip archives of the boot tests.

make_zip.py OUT CASE [NAME...]        one archive
make_zip.py OUTDIR each-name NAME...  OUTDIR/N.zip holding "good" and the N-th name
make_zip.py OUTDIR each-case CASE...  OUTDIR/CASE.zip for every case
"""
import struct
import sys
import zipfile

PAYLOAD = b"restore environment " * 200


def plain(out, names, method=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(out, "w", method) as z:
        for n in names:
            info = zipfile.ZipInfo(n)
            info.compress_type = method
            z.writestr(info, b"" if n.endswith("/") else PAYLOAD + n.encode("utf-8", "replace"))


def patch(out, fn):
    data = bytearray(open(out, "rb").read())
    fn(data)
    open(out, "wb").write(bytes(data))


def central(data):
    return data.rfind(b"PK\x01\x02")


def main():
    out, case = sys.argv[1], sys.argv[2]
    names = sys.argv[3:]
    if case == "each-name":
        for i, n in enumerate(names):
            plain("%s/%d.zip" % (out, i), ["good", n])
    elif case == "each-case":
        for c in names:
            make("%s/%s.zip" % (out, c), c, [])
    else:
        make(out, case, names)


def make(out, case, names):
    if case == "names":
        plain(out, names)
    elif case == "bzip2":
        plain(out, ["wvldr"], zipfile.ZIP_BZIP2)
    elif case == "lzma":
        plain(out, ["wvldr"], zipfile.ZIP_LZMA)
    elif case == "local-name-differs":
        plain(out, ["wvldr"])
        patch(out, lambda d: d.__setitem__(30, ord("W")))
    elif case == "local-size-differs":
        plain(out, ["wvldr"])
        patch(out, lambda d: d.__setitem__(22, d[22] ^ 1))
    elif case in ("declared-smaller", "declared-larger"):
        plain(out, ["wvldr"])
        delta = -10 if case == "declared-smaller" else 10

        def fix(d):
            for at in (22, central(d) + 24):
                (size,) = struct.unpack_from("<I", d, at)
                struct.pack_into("<I", d, at, size + delta)

        patch(out, fix)
    elif case == "count-wrong":
        plain(out, ["wvldr", "noext"])
        patch(out, lambda d: struct.pack_into("<HH", d, d.rfind(b"PK\x05\x06") + 8, 3, 3))
    else:
        sys.exit("unknown case " + case)


main()
