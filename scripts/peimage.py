#!/usr/bin/env python3
"""What the release checks read from a PE image: its sections, whether it
keeps a symbol table, its certificate table, and its named resources.

usage: peimage.py resources IMAGE                    list TYPE/NAME and sizes
       peimage.py extract IMAGE TYPE/NAME OUTFILE    write one resource's bytes
       peimage.py check IMAGE [FORBIDDEN-TEXT...]    the release rules (below)

The release rules for an image that ships: no debug sections, no symbol
table, no environment variable name of the test builds (LUMORA_ followed by
a capital, in ANSI or UTF-16 text) and none of the given texts (the build
folders), in either encoding."""
import re
import struct
import sys

RESOURCE_DIR = 2
SECURITY_DIR = 4


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ image")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, nsections, self.timestamp, self.symbol_table, self.symbol_count,
         optional_size, _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        if magic == 0x10B:
            dirs_at = opt + 96
        elif magic == 0x20B:
            dirs_at = opt + 112
        else:
            raise ValueError("unknown optional header 0x%x" % magic)
        self.pe32 = magic == 0x10B
        count = struct.unpack_from("<I", data, dirs_at - 4)[0]
        self.directories = [struct.unpack_from("<II", data, dirs_at + 8 * i) for i in range(count)]
        self.sections = []
        strings_at = self.symbol_table + 18 * self.symbol_count
        for i in range(nsections):
            at = opt + optional_size + 40 * i
            raw_name = data[at:at + 8].rstrip(b"\0")
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, at + 8)
            name = raw_name.decode("latin-1")
            # Long names (".debug_info") live in the string table after the symbols.
            if name.startswith("/") and name[1:].isdigit() and self.symbol_table:
                start = strings_at + int(name[1:])
                name = data[start:data.index(b"\0", start)].decode("latin-1")
            self.sections.append((name, va, max(vsize, rawsize), rawptr, rawsize))

    def offset(self, rva):
        for _, va, size, rawptr, rawsize in self.sections:
            if va <= rva < va + size:
                if rva - va >= rawsize:
                    raise ValueError("RVA 0x%x has no file bytes" % rva)
                return rawptr + rva - va
        raise ValueError("RVA 0x%x outside every section" % rva)

    def signature(self):
        """The certificate table's (file offset, size), or None."""
        if len(self.directories) <= SECURITY_DIR:
            return None
        at, size = self.directories[SECURITY_DIR]
        return (at, size) if size else None

    def resources(self):
        """{(type, name): bytes} for every resource, ids written in decimal;
        the first language of each."""
        if len(self.directories) <= RESOURCE_DIR or not self.directories[RESOURCE_DIR][1]:
            return {}
        base = self.offset(self.directories[RESOURCE_DIR][0])
        data = self.data

        def entries(at):
            named, ids = struct.unpack_from("<HH", data, base + at + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", data, base + at + 16 + 8 * i)
                if name & 0x80000000:
                    s = base + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", data, s)[0]
                    name = data[s + 2:s + 2 + 2 * length].decode("utf-16-le")
                else:
                    name = str(name)
                yield name, target

        found = {}
        for type_name, type_dir in entries(0):
            if not type_dir & 0x80000000:
                raise ValueError("resource type %s is not a directory" % type_name)
            for name, name_dir in entries(type_dir & 0x7FFFFFFF):
                if not name_dir & 0x80000000:
                    raise ValueError("resource %s/%s is not a directory" % (type_name, name))
                _, leaf = next(entries(name_dir & 0x7FFFFFFF))
                rva, size = struct.unpack_from("<II", data, base + leaf)
                start = self.offset(rva)
                found[(type_name, name)] = data[start:start + size]
        return found


def release_faults(data, forbidden=()):
    """What keeps an image from shipping, in words; empty when nothing."""
    image = PeImage(data)
    faults = []
    debug = [s[0] for s in image.sections if s[0].startswith((".debug", ".zdebug"))]
    if debug:
        faults.append("debug sections: " + " ".join(debug))
    if image.symbol_table or image.symbol_count:
        faults.append("a symbol table of %d entries" % image.symbol_count)
    if image.timestamp:
        faults.append("a link time stamp 0x%08x" % image.timestamp)
    for pattern, encoding in ((rb"LUMORA_[A-Z][A-Z_]*", "ANSI"), (rb"L\0U\0M\0O\0R\0A\0_\0[A-Z]\0(?:[A-Z_]\0)*", "UTF-16")):
        for m in sorted(set(re.findall(pattern, data))):
            text = m.decode("utf-16-le") if encoding == "UTF-16" else m.decode()
            faults.append("the environment name %s (%s)" % (text, encoding))
    for text in forbidden:
        for encoding in ("latin-1", "utf-16-le"):
            if text.encode(encoding) in data:
                faults.append("the text %r (%s)" % (text, encoding))
    return faults


def main(argv):
    if len(argv) >= 2 and argv[0] == "resources":
        for (t, n), body in sorted(PeImage(open(argv[1], "rb").read()).resources().items()):
            print("%s/%s %d" % (t, n, len(body)))
        return 0
    if len(argv) == 4 and argv[0] == "extract":
        t, n = argv[2].split("/", 1)
        found = PeImage(open(argv[1], "rb").read()).resources()
        if (t, n) not in found:
            print("%s: no resource %s" % (argv[1], argv[2]), file=sys.stderr)
            return 1
        with open(argv[3], "wb") as f:
            f.write(found[(t, n)])
        return 0
    if len(argv) >= 2 and argv[0] == "check":
        faults = release_faults(open(argv[1], "rb").read(), argv[2:])
        for fault in faults:
            print("%s: %s" % (argv[1], fault), file=sys.stderr)
        return 1 if faults else 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
