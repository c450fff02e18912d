#pragma once
// The Windows boundary of the real machine: UTF-8 to UTF-16 and back, a
// guard that keeps GetLastError() across clean-up, and an owning handle.
#include "platform/win32/windows_api.h"

#include <string>
#include <string_view>

namespace lum::win32 {

std::wstring Wide(std::string_view utf8);
std::string Narrow(const wchar_t* s, std::size_t length);
std::string Narrow(const wchar_t* nulTerminated);
inline std::string Narrow(const std::wstring& s) { return Narrow(s.data(), s.size()); }

// Saves the thread's last error on construction and puts it back on
// destruction, so that closing handles and freeing buffers after a failed
// call does not hide the code the caller is about to read.
class KeepLastError {
 public:
  KeepLastError() : code_(::GetLastError()) {}
  ~KeepLastError() { ::SetLastError(code_); }
  KeepLastError(const KeepLastError&) = delete;
  KeepLastError& operator=(const KeepLastError&) = delete;

 private:
  DWORD code_;
};

// A kernel handle closed on destruction (keeping the last error). Both NULL
// and INVALID_HANDLE_VALUE count as "no handle".
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE h) : h_(h) {}
  ~OwnedHandle() { Reset(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  HANDLE Get() const { return h_; }
  HANDLE* Out() { Reset(); return &h_; }
  bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  void Reset() {
    if (Valid()) {
      KeepLastError keep;
      ::CloseHandle(h_);
    }
    h_ = nullptr;
  }

 private:
  HANDLE h_ = nullptr;
};

// An entry point of a system library looked up by name at run time, for calls
// that newer Windows versions have and older ones lack: the module handle of
// the loaded library, or the library loaded when it is not (kernel32 always is).
FARPROC SystemProc(const char* name, const wchar_t* module = L"KERNEL32.DLL");

}  // namespace lum::win32
