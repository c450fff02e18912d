#pragma once
// The system information queries: each asks the machine through the platform
// and applies the decisions of sysinfo.h.
#include <cstdint>
#include <string>

#include "inspect/sysinfo.h"

namespace lum {

// Fills every field of info (no cache: asks afresh on each call).
void GetSysinfo(Platform& p, TSysinfo& info);
// Gathers the inputs of GetSysinfo.
SysinfoFacts GatherSysinfoFacts(Platform& p);

// The product version of ntdll.dll, read from the copy at %temp%\ntdll.dll,
// which is made from %windir%\system32\ntdll.dll when missing and then kept.
std::string GetNtdllVersion(Platform& p);
// The version class of GetNtdllVersion.
std::string GetSysClass(Platform& p);

// SystemDrive "X"/"X:" (any case), the PE Builder key, or pecmd.exe/.ini in
// the Windows folder or its system32.
bool IsPEEnvironment(Platform& p);
RunEnvironment ReadRunEnvironment(Platform& p);

// True when the (32-bit) program runs under WOW64 on an AMD64 or IA64 machine.
bool IsWin64(Platform& p);

// The extended version record; its size is 284 before the query and 0 when
// the query fails.
bool GetOSVersionInfo(Platform& p, OsVersionRecord& info);
// The major version; 0 (with the failure logged) when the query fails.
std::uint32_t GetOSMajorVersion(Platform& p);

}  // namespace lum
