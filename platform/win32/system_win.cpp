#include "platform/win32/system_win.h"

#include <cpuid.h>

#include "platform/win32/windows_api.h"

#include "platform/win32/wide.h"

namespace lum::win32 {
namespace {

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the extended version record");

using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using GlobalMemoryStatusExFn = BOOL(WINAPI*)(LPMEMORYSTATUSEX);

template <typename Fn>
Fn Lookup(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(SystemProc(name)));
}

}  // namespace

std::optional<OsVersionRecord> Win32System::QueryOsVersion() {
  OSVERSIONINFOEXW vi{};
  vi.dwOSVersionInfoSize = sizeof(vi);
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&vi))) return std::nullopt;
  OsVersionRecord r;
  r.size = vi.dwOSVersionInfoSize;
  r.major = vi.dwMajorVersion;
  r.minor = vi.dwMinorVersion;
  r.build = vi.dwBuildNumber;
  r.platformId = vi.dwPlatformId;
  r.csdVersion = Narrow(vi.szCSDVersion);
  r.spMajor = vi.wServicePackMajor;
  r.spMinor = vi.wServicePackMinor;
  r.suiteMask = vi.wSuiteMask;
  r.productType = vi.wProductType;
  return r;
}

// GetNativeSystemInfo answers the machine's own architecture, also to a
// 32-bit process under WOW64 (where GetSystemInfo would say Intel).
std::optional<std::uint16_t> Win32System::NativeArchitecture() {
  auto fn = Lookup<GetNativeSystemInfoFn>("GetNativeSystemInfo");
  if (fn == nullptr) return std::nullopt;
  SYSTEM_INFO si{};
  fn(&si);
  return si.wProcessorArchitecture;
}

// True only for a 32-bit process on 64-bit Windows. A 64-bit build of the
// same code (the form the Windows tests take on machines that cannot run
// 32-bit programs) is not under WOW64, so it answers false there even though
// the machine is 64-bit; NativeArchitecture tells the machine's truth.
std::optional<bool> Win32System::IsWow64Process() {
  auto fn = Lookup<IsWow64ProcessFn>("IsWow64Process");
  if (fn == nullptr) return std::nullopt;
  BOOL wow = FALSE;
  if (!fn(::GetCurrentProcess(), &wow)) return false;
  return wow != FALSE;
}

int Win32System::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

std::uint32_t Win32System::ThreadLocale() { return ::GetThreadLocale(); }

int Win32System::ProcessorCount() {
  SYSTEM_INFO si{};
  ::GetSystemInfo(&si);
  return static_cast<int>(si.dwNumberOfProcessors);
}

std::string Win32System::ModuleFileName() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return Narrow(buf.data(), n);
    if (buf.size() >= 32768) return {};  // longer than any Windows path
    buf.assign(buf.size() * 2, L'\0');  // truncated: try a larger buffer
  }
}

MemoryStatus Win32System::Memory() {
  MemoryStatus m;
  if (auto ex = Lookup<GlobalMemoryStatusExFn>("GlobalMemoryStatusEx")) {
    MEMORYSTATUSEX ms{};
    ms.dwLength = sizeof(ms);
    if (ex(&ms)) {
      m.totalPhys = ms.ullTotalPhys;
      m.availPhys = ms.ullAvailPhys;
      return m;
    }
  }
  MEMORYSTATUS old{};
  old.dwLength = sizeof(old);
  ::GlobalMemoryStatus(&old);
  m.totalPhys = old.dwTotalPhys;
  m.availPhys = old.dwAvailPhys;
  return m;
}

std::uint32_t Win32System::LastError() { return ::GetLastError(); }

void Win32System::SetLastError(std::uint32_t code) { ::SetLastError(code); }

// The system's text for an error code, without the line break FormatMessage
// ends it with; empty when the system has no text for the code.
std::string Win32System::ErrorMessage(std::uint32_t code) {
  KeepLastError keep;
  wchar_t buf[1024];
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, buf, static_cast<DWORD>(std::size(buf)), nullptr);
  while (n > 0 && buf[n - 1] <= L' ') --n;
  return Narrow(buf, n);
}

void Win32System::Beep() { ::MessageBeep(0); }

// A 32-bit Windows may run on a processor that could run 64-bit code; the
// processor itself answers. __get_cpuid_max also covers processors without
// CPUID (it answers 0) and those whose highest extended leaf is below 0x80000001.
bool Win32System::HasLongMode() {
  constexpr unsigned kExtendedFeatures = 0x80000001u;
  constexpr unsigned kLongModeBit = 1u << 29;
  if (__get_cpuid_max(0x80000000u, nullptr) < kExtendedFeatures) return false;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  __cpuid(kExtendedFeatures, eax, ebx, ecx, edx);
  return (edx & kLongModeBit) != 0;
}

std::uint32_t Win32System::SetErrorMode(std::uint32_t mode) { return ::SetErrorMode(mode); }

}  // namespace lum::win32
