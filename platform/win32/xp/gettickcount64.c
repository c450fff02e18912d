/* Windows XP has no GetTickCount64, but the threading runtime that the
 * posix flavour of the compiler links statically imports it, so an
 * executable that imports it directly does not load on XP. This file
 * supplies the import slot itself: the real function where kernel32 has
 * it (Vista and later), otherwise a 64-bit count widened from GetTickCount
 * that keeps counting across its 49.7-day wrap. */
#include <windows.h>

typedef ULONGLONG(WINAPI *TickCount64Fn)(void);

static ULONGLONG WINAPI LumoraGetTickCount64(void) {
  static TickCount64Fn real = 0;
  static int looked = 0;
  static DWORD last = 0, wraps = 0;
  DWORD now;
  if (!looked) {
    HMODULE k32 = GetModuleHandleW(L"kernel32.dll");
    real = k32 ? (TickCount64Fn)(void *)GetProcAddress(k32, "GetTickCount64") : 0;
    looked = 1;
  }
  if (real) return real();
  now = GetTickCount();
  if (now < last) ++wraps;
  last = now;
  return ((ULONGLONG)wraps << 32) | now;
}

/* The name the import library would define for the 32-bit stdcall import. */
#if !defined(_WIN64)
TickCount64Fn LumoraTickCount64Import __asm__("__imp__GetTickCount64@0") = LumoraGetTickCount64;
#endif
