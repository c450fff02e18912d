#!/usr/bin/env python3
"""Checks the shipped 32-bit binaries: PE32 for i386, no import that Windows
XP lacks, and for Lumora.exe the manifest and the version resource.

usage: check_shipped.py BIN_DIR VERSION     (exit 77 when BIN_DIR is not built)"""
import os
import re
import struct
import subprocess
import sys

# Functions of kernel32 and others that first appeared after Windows XP SP3.
NOT_ON_XP = {
    "GetTickCount64", "InitializeSRWLock", "AcquireSRWLockExclusive", "AcquireSRWLockShared",
    "ReleaseSRWLockExclusive", "ReleaseSRWLockShared", "TryAcquireSRWLockExclusive",
    "InitializeConditionVariable", "SleepConditionVariableCS", "SleepConditionVariableSRW",
    "WakeConditionVariable", "WakeAllConditionVariable", "InitOnceExecuteOnce",
    "InitOnceBeginInitialize", "InitOnceComplete", "FlsAlloc", "FlsFree", "FlsGetValue",
    "FlsSetValue", "CreateSymbolicLinkW", "GetFinalPathNameByHandleW", "GetLocaleInfoEx",
    "LCIDToLocaleName", "LocaleNameToLCID", "CompareStringEx", "GetUserDefaultLocaleName",
    "InitializeCriticalSectionEx", "CreateEventExW", "CreateMutexExW", "CreateSemaphoreExW",
    "GetFileInformationByHandleEx", "SetFileInformationByHandle", "CancelIoEx",
    "QueryFullProcessImageNameW", "GetErrorMode", "GetThreadId", "GetProcessId",
    "RegGetValueW", "RegDeleteTreeW", "RegSetKeyValueW", "SHGetKnownFolderPath",
    "WerRegisterRuntimeExceptionModule", "GetSystemTimePreciseAsFileTime",
    "ChangeWindowMessageFilter", "ChangeWindowMessageFilterEx", "DwmExtendFrameIntoClientArea",
}


def imports(path):
    out = subprocess.run(["i686-w64-mingw32-objdump", "-p", path], check=True,
                         capture_output=True, text=True).stdout
    names, dll = [], None
    for line in out.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1)
            continue
        m = re.match(r"\s*[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if m and dll:
            names.append((dll, m.group(1)))
    return names


def machine(path):
    data = open(path, "rb").read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0", path
    return struct.unpack_from("<H", data, pe + 4)[0], struct.unpack_from("<H", data, pe + 24)[0]


def main():
    bindir, version = sys.argv[1], sys.argv[2]
    if not os.path.isdir(bindir):
        print("not built:", bindir)
        return 77
    failures = []
    # What ships: the program and what it carries (other programs of the tree are tools).
    shipped = ["Lumora.exe", "FerroYX.exe", "xldl.dll", "isoextract.exe", "bootstore.exe"]
    found = [f for f in shipped if os.path.exists(os.path.join(bindir, f))]
    failures.extend("%s missing from %s" % (f, bindir) for f in shipped if f not in found)
    for name in found:
        path = os.path.join(bindir, name)
        mach, magic = machine(path)
        if mach != 0x14C or magic != 0x10B:
            failures.append("%s: not a PE32 i386 image (machine %#x, magic %#x)" % (name, mach, magic))
        bad = sorted({f for _, f in imports(path) if f in NOT_ON_XP})
        if bad:
            failures.append("%s imports functions Windows XP lacks: %s" % (name, ", ".join(bad)))
    if "Lumora.exe" in found:
        data = open(os.path.join(bindir, "Lumora.exe"), "rb").read()
        if b'level="requireAdministrator"' not in data:
            failures.append("Lumora.exe: no requireAdministrator manifest")
        for guid in (b"e2011457-1546-43c5-a5fe-008deee3d3f0", b"35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                     b"4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", b"1f676c76-80e1-4239-95bb-83d0f6d0da78",
                     b"8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"):
            if guid not in data:
                failures.append("Lumora.exe: supportedOS %s missing" % guid.decode())
        at = data.find(b"\xbd\x04\xef\xfe")
        if at < 0:
            failures.append("Lumora.exe: no version resource")
        else:
            words = struct.unpack_from("<4I", data, at + 8)
            got = "%d.%d.%d.%d" % (words[0] >> 16, words[0] & 0xFFFF, words[1] >> 16, words[1] & 0xFFFF)
            if got != version:
                failures.append("Lumora.exe: file version %s, project version %s" % (got, version))
    for f in failures:
        print(f)
    print("checked %d binaries in %s" % (len(found), bindir))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
