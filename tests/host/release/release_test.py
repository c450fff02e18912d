#!/usr/bin/env python3
"""The release a packager ships.

usage: release_test.py standins WORK    the release preset refuses stand-in payloads
       release_test.py package WORK     scripts/package: signed and unsigned packages,
                                        what they carry, byte-identical rebuilds

WORK holds the test's trees and files; it is kept, so a second run is an
incremental build."""
import json
import os
import shutil
import subprocess
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.abspath(os.path.join(HERE, "..", "..", ".."))
sys.path.insert(0, os.path.join(REPO, "scripts"))
import peimage  # noqa: E402

# The third-party files the repository has only placeholders for (README, "Payloads").
STANDIN_KEYS = ["PE.GRU", "PE.MBR", "BOT.EFI", "FUN.BOOTADD"] + [
    "EFISET." + k + arch for k in ("BOOTMGR", "BOOTMGFW", "MEMTEST", "MUIA", "MUIB", "MUIC")
    for arch in ("", "X86")]
# What we build and Lumora.exe carries: these are signed.
OUR_PROGRAMS = ["FUN/BEDIT", "ISO/MAK", "FUN/RUSORT", "DLL/XLDL"]
ADDRESS = "https://images.release-test.invalid"

failures = []


def expect(ok, message):
    if not ok:
        failures.append(message)
        print("FAILED:", message)
    return ok


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=REPO, capture_output=True, text=True, **kw)


def make_payloads(folder, keys):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for key in keys:
        with open(os.path.join(folder, key), "wb") as f:
            f.write(("release test payload %s\r\n" % key).encode() * 8)


def read(path):
    with open(path, "rb") as f:
        return f.read()


# ---------------------------------------------------------------- standins


def configure(tree, payload_dir):
    cmd = ["cmake", "--preset", "win32-release", "-B", tree, "--fresh"]
    if payload_dir is not None:
        cmd.append("-DLUMORA_PAYLOAD_DIR=" + payload_dir)
    return run(cmd)


def named_keys(output):
    return sorted(k for k in STANDIN_KEYS if k in output.split())


def test_standins(work):
    full = os.path.join(work, "payloads-all")
    partial = os.path.join(work, "payloads-partial")
    lacking = ["PE.MBR", "EFISET.MUICX86"]
    make_payloads(full, STANDIN_KEYS)
    make_payloads(partial, [k for k in STANDIN_KEYS if k not in lacking])
    tree = os.path.join(work, "configure")

    refusals = [  # (case, payload folder, keys the refusal must name, text it must hold)
        ("no payload folder", None, STANDIN_KEYS, "LUMORA_PAYLOAD_DIR (not set)"),
        ("two files missing", partial, lacking, partial),
        ("a folder that is not there", os.path.join(work, "nowhere"), [], "no folder"),
    ]
    for case, folder, keys, text in refusals:
        r = configure(tree, folder)
        out = r.stdout + r.stderr
        if expect(r.returncode != 0, "%s: the release configured" % case):
            expect(named_keys(out) == sorted(keys),
                   "%s: named %s, expected %s" % (case, named_keys(out), sorted(keys)))
            expect(text in out, "%s: no %r in the refusal:\n%s" % (case, text, out[-2000:]))

    # The one command refuses the same way, before building anything.
    r = run([os.path.join(REPO, "scripts", "package"), "--build-dir", os.path.join(work, "package-refused"),
             "--out", os.path.join(work, "dist-refused")])
    out = r.stdout + r.stderr
    expect(r.returncode != 0 and named_keys(out) == sorted(STANDIN_KEYS),
           "scripts/package without payloads: rc %d, named %s" % (r.returncode, named_keys(out)))
    expect(not os.path.exists(os.path.join(work, "dist-refused", "SHA256SUMS")),
           "scripts/package without payloads wrote SHA256SUMS")

    r = configure(tree, full)
    if not expect(r.returncode == 0, "all payloads given: configure failed:\n" + r.stderr[-2000:]):
        return
    rc = open(os.path.join(tree, "payloads", "payloads.rc")).read()
    for key in STANDIN_KEYS:
        t, n = key.split(".")
        expect('"%s" %s "%s"' % (n, t, os.path.join(full, key)) in rc, "payloads.rc does not take " + key)
    # The partner file is ours, though written beside the stand-ins.
    generated = [line for line in rc.splitlines() if "/standin/" in line or "bootadd.zip" in line]
    expect(all(line.endswith('/standin/id.dat"') for line in generated),
           "payloads.rc still names a stand-in:\n" + "\n".join(generated))
    # The environment overrides are compiled into the test builds only.
    commands = json.load(open(os.path.join(tree, "compile_commands.json")))
    for source in ("app/settings.cpp", "tools/bootstore/bootstore_tool.cpp"):
        cmd = [c["command"] for c in commands if c["file"].endswith(source)]
        expect(len(cmd) == 1, "no compile command for " + source)
        expect(all("LUMORA_ENVIRONMENT_OVERRIDES" not in c for c in cmd), source + " keeps its override")
        expect(all("-ffile-prefix-map=" in c for c in cmd), source + " has no prefix map")
    expect(not any("/tests/" in c["file"] for c in commands), "the release tree builds tests")
    shutil.rmtree(tree)


# ----------------------------------------------------------------- package


def package(work, tree, dist, *args):
    cmd = [os.path.join(REPO, "scripts", "package"), "--payloads", os.path.join(work, "payloads"),
           "--build-dir", os.path.join(work, tree), "--out", os.path.join(work, dist), *args,
           "--", "-DLUMORA_BASE_URL=" + ADDRESS]
    r = run(cmd)
    print("$ " + " ".join(cmd) + "\n" + r.stdout + r.stderr)
    return r


def unpack(work, dist):
    """The zip's members in a folder beside the zip, checked against SHA256SUMS."""
    folder = os.path.join(work, dist)
    zips = [f for f in os.listdir(folder) if f.endswith(".zip")]
    if not expect(zips == ["Lumora-%s.zip" % project_version()], "%s holds %s" % (dist, zips)):
        return None
    with zipfile.ZipFile(os.path.join(folder, zips[0])) as z:
        expect(z.namelist() == ["Lumora.exe"], "%s: the zip holds %s" % (dist, z.namelist()))
        z.extractall(folder)
    sums = read(os.path.join(folder, "SHA256SUMS")).decode()
    expect(sorted(line.split()[1] for line in sums.splitlines()) == sorted(["Lumora.exe", zips[0]]),
           "%s: SHA256SUMS lists\n%s" % (dist, sums))
    r = subprocess.run(["sha256sum", "--strict", "-c", "SHA256SUMS"], cwd=folder, capture_output=True, text=True)
    expect(r.returncode == 0, "%s: sha256sum -c: %s%s" % (dist, r.stdout, r.stderr))
    return os.path.join(folder, "Lumora.exe")


def project_version():
    for line in open(os.path.join(REPO, "CMakeLists.txt")):
        if line.startswith("project(Lumora VERSION"):
            return line.split()[2]
    raise RuntimeError("no project version")


def verify(path, ca):
    r = subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", path],
                       capture_output=True, text=True)
    return r.returncode == 0, r.stdout + r.stderr


def release_rules(label, path, work):
    """No debug sections (objdump's reading), and peimage's rules: no symbols,
    no time stamp, no LUMORA_ environment name, no build or source folder."""
    r = subprocess.run(["i686-w64-mingw32-objdump", "-h", path], capture_output=True, text=True)
    expect(r.returncode == 0 and "file format pei-i386" in r.stdout, "%s: not a 32-bit PE: %s" % (label, r.stderr))
    expect(".debug" not in r.stdout, "%s: debug sections:\n%s" % (label, r.stdout))
    faults = peimage.release_faults(read(path), [REPO, work])
    expect(not faults, "%s: %s" % (label, "; ".join(faults)))


def make_certificate(work):
    """A self-signed code-signing certificate: PEM pair, and PKCS#12 with a password file."""
    cert, key = os.path.join(work, "cert.pem"), os.path.join(work, "key.pem")
    p12, pw = os.path.join(work, "cert.p12"), os.path.join(work, "p12.pass")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=Lumora release test", "-addext", "extendedKeyUsage=codeSigning",
                    "-addext", "keyUsage=digitalSignature"], check=True, capture_output=True)
    with open(pw, "w") as f:
        f.write("release-test\n")
    subprocess.run(["openssl", "pkcs12", "-export", "-in", cert, "-inkey", key, "-out", p12,
                    "-passout", "file:" + pw], check=True, capture_output=True)
    return cert, key, p12, pw


def test_package(work):
    os.makedirs(work, exist_ok=True)
    payloads = os.path.join(work, "payloads")
    make_payloads(payloads, STANDIN_KEYS)
    cert, key, p12, pw = make_certificate(work)

    # A: signed with a PEM pair. B: another folder, no certificate.
    a = package(work, "tree-a", "dist-a", "--cert", cert, "--key", key, "--ca", cert)
    if not expect(a.returncode == 0, "signed package failed"):
        return
    b = package(work, "tree-b", "dist-b")
    if not expect(b.returncode == 0, "unsigned package failed"):
        return
    expect("UNSIGNED" in b.stdout, "the unsigned package does not say so")

    signed_exe, unsigned_exe = unpack(work, "dist-a"), unpack(work, "dist-b")
    if not signed_exe or not unsigned_exe:
        return

    # What ships: the program and each program it carries, as carried.
    for label, exe in (("signed", signed_exe), ("unsigned", unsigned_exe)):
        release_rules(label + " Lumora.exe", exe, work)
        image = peimage.PeImage(read(exe))
        found = image.resources()
        expect(ADDRESS.encode() in read(exe), label + ": the configured address is not in the program")
        expect(b"dl.lumora.example" not in read(exe), label + ": the default address is still in the program")
        for key in STANDIN_KEYS:
            t, n = key.split(".")
            expect(found.get((t, n)) == read(os.path.join(payloads, key)),
                   "%s: %s is not the packager's file" % (label, key))
        for res in OUR_PROGRAMS:
            body = found.get(tuple(res.split("/")))
            if not expect(body is not None, "%s: %s is not carried" % (label, res)):
                continue
            taken = os.path.join(work, "%s-%s" % (label, res.replace("/", ".")))
            with open(taken, "wb") as f:
                f.write(body)
            release_rules("%s %s" % (label, res), taken, work)
            ok, text = verify(taken, cert)
            signed = peimage.PeImage(body).signature() is not None
            if label == "signed":
                expect(ok and signed, "%s inside the signed program does not verify:\n%s" % (res, text))
            else:
                expect(not ok and not signed, "%s inside the unsigned program carries a signature" % res)

    ok, text = verify(signed_exe, cert)
    expect(ok, "the signed Lumora.exe does not verify:\n" + text)
    ok, text = verify(unsigned_exe, cert)
    expect(not ok, "the unsigned Lumora.exe verifies")

    # The same commit built in two folders: the same unsigned bytes.
    ua, ub = (os.path.join(work, t, "package", "unsigned") for t in ("tree-a", "tree-b"))
    names = sorted(os.listdir(ub))
    expect(names == sorted(["Lumora.exe"] + [r.replace("/", ".") for r in OUR_PROGRAMS]),
           "the unsigned set is %s" % names)
    expect(sorted(os.listdir(ua)) == names, "the two unsigned sets differ: %s" % sorted(os.listdir(ua)))
    for name in names:
        da, db = read(os.path.join(ua, name)), read(os.path.join(ub, name))
        first = next((i for i, (x, y) in enumerate(zip(da, db)) if x != y), min(len(da), len(db)))
        expect(da == db, "%s differs between the two builds (sizes %d, %d; first at 0x%x)"
               % (name, len(da), len(db), first))
    expect(read(unsigned_exe) == read(os.path.join(ub, "Lumora.exe")),
           "the unsigned package's Lumora.exe is not the unsigned build")

    # PKCS#12 with a password file, on B's tree (only the payloads and the link are redone).
    c = package(work, "tree-b", "dist-c", "--pkcs12", p12, "--pass-file", pw, "--ca", cert)
    if expect(c.returncode == 0, "PKCS#12 package failed"):
        exe = unpack(work, "dist-c")
        if exe:
            ok, text = verify(exe, cert)
            expect(ok, "the PKCS#12-signed Lumora.exe does not verify:\n" + text)
            body = peimage.PeImage(read(exe)).resources().get(("DLL", "XLDL"))
            expect(body is not None and peimage.PeImage(body).signature() is not None,
                   "xldl.dll inside the PKCS#12-signed program is unsigned")


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("standins", "package"):
        print(__doc__, file=sys.stderr)
        return 2
    work = os.path.abspath(sys.argv[2])
    os.makedirs(work, exist_ok=True)
    (test_standins if sys.argv[1] == "standins" else test_package)(os.path.join(work, sys.argv[1]))
    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
