#!/usr/bin/env python3
"""Packs the skin images into the store that Lumora.exe carries (SKIN/STORE).

    pack_store.py images.txt png-dir out-file

images.txt names every image in store order with its size and draw mode;
png-dir holds <id>.png for each (8-bit RGB or RGBA, as draw_skin.py writes
them). Only the standard library is used, so the build needs no imaging
package. The layout is the one skin/store_format.h describes.
"""
import os
import struct
import sys
import zlib


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s: not a PNG file" % path)
    pos, idat, header = 8, b"", None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("%s: wants 8-bit RGB or RGBA, not interlaced" % path)
    bpp = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * bpp
    prev = bytearray(stride)
    pixels = bytearray()
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                row[i] = (row[i] + a) & 255
            elif kind == 2:
                row[i] = (row[i] + b) & 255
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
            elif kind != 0:
                raise ValueError("%s: bad filter %d" % (path, kind))
        prev = row
        for x in range(width):
            r, g, b_ = row[x * bpp:x * bpp + 3]
            alpha = row[x * bpp + 3] if bpp == 4 else 255
            pixels += bytes((b_, g, r, alpha))  # blue, green, red, alpha
    return width, height, bytes(pixels)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    listing, png_dir, out = sys.argv[1:]
    entries = []
    with open(listing, encoding="utf-8") as f:
        for line in f:
            if not line.strip() or line.startswith("#"):
                continue
            rid, w, h, mode = line.split()
            width, height, pixels = read_png(os.path.join(png_dir, rid + ".png"))
            if (width, height) != (int(w), int(h)):
                sys.exit("pack_store: %s is %dx%d, the list says %sx%s" % (rid, width, height, w, h))
            if mode not in ("blend", "opaque"):
                sys.exit("pack_store: %s: draw mode %s" % (rid, mode))
            entries.append((rid, mode, width, height, pixels))
    blob = bytearray(b"LSKN") + struct.pack("<II", 1, len(entries))
    for rid, mode, width, height, pixels in entries:
        packed = zlib.compress(pixels, 9)
        name = rid.encode("ascii")
        blob += struct.pack("<B", len(name)) + name
        blob += struct.pack("<BiiI", 1 if mode == "opaque" else 0, width, height, len(packed)) + packed
    tmp = out + ".tmp"
    with open(tmp, "wb") as f:
        f.write(blob)
    os.replace(tmp, out)


if __name__ == "__main__":
    main()
