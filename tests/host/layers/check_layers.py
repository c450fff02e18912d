#!/usr/bin/env python3
"""Checks that every include of the program's sources keeps to the layer order
the README states: a layer includes only itself and the layers it is allowed
to look down to.

usage: check_layers.py [ROOT]    (ROOT: the source tree, by default this checkout)

An include is resolved as the compiler resolves it (a quoted name first beside
the including file, then from the source root), so "../app/x.h" counts as
app/. A name that resolves nowhere (a generated header) is judged by its first
folder. Prints one line per climbing include and exits 1 if there is any."""
import os
import re
import sys

# Each layer and the layers below it that it may include (besides itself).
ALLOWED = {
    "platform": set(),
    "inspect": {"platform"},
    "skin": {"platform"},
    "engine": {"platform"},
    "catalogue": {"platform", "inspect"},
    "boot": {"platform", "inspect"},
    "download": {"platform", "inspect", "engine"},
    "app": {"platform", "inspect", "skin", "engine", "catalogue", "boot", "download"},
    "tools": {"platform"},
}
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cpp", ".inc", ".rc", ".rci")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(rel):
    """The layer of a path relative to the root, or None outside the layers."""
    top = rel.split("/", 1)[0]
    return top if top in ALLOWED else None


def in_win32_folder(rel):
    return "win32" in rel.split("/")[:-1]


def resolve(root, including_rel, quote, name):
    """The included file relative to the root ("" when it lies outside it), or
    None when it is not in the tree."""
    candidates = []
    if quote == '"':
        candidates.append(os.path.join(root, os.path.dirname(including_rel), name))
    candidates.append(os.path.join(root, name))
    for c in candidates:
        if os.path.isfile(c):
            rel = os.path.relpath(os.path.realpath(c), os.path.realpath(root)).replace(os.sep, "/")
            return "" if rel.startswith("../") else rel
    return None


def violations(root):
    """(file, line number, include, reason) for every include that breaks the order."""
    found = []
    for layer in sorted(ALLOWED):
        top = os.path.join(root, layer)
        for dirpath, dirnames, filenames in os.walk(top):
            dirnames.sort()
            for fn in sorted(filenames):
                if not fn.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(dirpath, fn)
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as f:
                    lines = f.read().splitlines()
                for number, line in enumerate(lines, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    reason = judge(root, rel, layer, m.group(1), m.group(2))
                    if reason:
                        found.append((rel, number, m.group(2), reason))
    return found


def judge(root, rel, layer, quote, name):
    target = resolve(root, rel, quote, name)
    if target is None:
        if quote == "<":
            return None  # a system header
        target = name  # not built yet or generated: judged by its folder
    if target == "":
        return "reaches outside the source tree"
    to = layer_of(target)
    if to is None:
        return None
    if to != layer and to not in ALLOWED[layer]:
        return "%s/ may not include from %s/" % (layer, to)
    if target.startswith("platform/sim/") and not rel.startswith("platform/sim/"):
        return "the simulated machine is for tests only"
    if in_win32_folder(target) and not in_win32_folder(rel):
        return "portable code may not include Win32 code"
    return None


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "..")
    root = os.path.abspath(root)
    found = violations(root)
    for rel, number, name, reason in found:
        print('%s:%d: #include "%s": %s' % (rel, number, name, reason))
    if found:
        print("%d include(s) climb the layer order (README, \"Layers\")" % len(found))
        return 1
    print("layers: every include keeps to the order")
    return 0


if __name__ == "__main__":
    sys.exit(main())
