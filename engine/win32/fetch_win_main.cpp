// lumora-fetch-win XLDL URL DIR NAME: loads the engine library the way the
// program does (LoadLibraryW and the four entry points by name), fetches one
// file and prints one line with the outcome, the CPU seconds of this process
// and its peak working set. Used by the benchmark: Wine starts the program as
// a process of its own, apart from the command that launched it, so the
// launcher's own resource usage does not include it.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>

#include "engine/task_records.h"
#include "engine/win32/xldl_api.h"

using lum::engine::TaskInfo;
using lum::engine::TaskParams;

// The exports' types, from their declarations.
using InitFn = decltype(&XL_Init);
using CreateFn = decltype(&XL_CreateTask);
using StartFn = decltype(&XL_StartTask);
using QueryFn = decltype(&XL_QueryTaskInfoEx);

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: lumora-fetch-win XLDL URL DIR NAME\n");
    return 2;
  }
  HMODULE dll = LoadLibraryW(argv[1]);
  if (!dll) return 3;
  auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(dll, "XL_Init")));
  auto create = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(dll, "XL_CreateTask")));
  auto start = reinterpret_cast<StartFn>(reinterpret_cast<void*>(GetProcAddress(dll, "XL_StartTask")));
  auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(dll, "XL_QueryTaskInfoEx")));
  if (!init || !create || !start || !query || !init()) return 4;
  auto params = std::make_unique<TaskParams>();
  std::memset(params.get(), 0, sizeof *params);
  params->value18360 = 5;
  std::wcsncpy(reinterpret_cast<wchar_t*>(params->url), argv[2], lum::engine::kMaxUrlChars);
  std::wcsncpy(reinterpret_cast<wchar_t*>(params->saveDir), argv[3], lum::engine::kMaxDirChars);
  std::wcsncpy(reinterpret_cast<wchar_t*>(params->fileName), argv[4], lum::engine::kMaxNameChars);
  HANDLE task = create(params.get());
  if (!task) return 5;
  start(task);
  TaskInfo info;
  for (;;) {
    Sleep(20);
    std::memset(&info, 0, sizeof info);
    info.status = 2;
    query(task, &info);
    int s = info.status & 0xFF;
    if (s == 1 || s == 4) {
      FILETIME created, exited, kernel, user;
      double cpu = 0;
      if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        auto ticks = [](const FILETIME& f) {
          return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
        };
        cpu = (ticks(kernel) + ticks(user)) / 1e7;  // 100 ns units
      }
      PROCESS_MEMORY_COUNTERS mem{};
      mem.cb = sizeof mem;
      unsigned long long peakKib = 0;
      if (GetProcessMemoryInfo(GetCurrentProcess(), &mem, sizeof mem)) peakKib = mem.PeakWorkingSetSize >> 10;
      std::printf("status=%d fail=%d bytes=%lld cpu=%.3f peak_kib=%llu\n", s, info.failCode,
                  static_cast<long long>(info.received), cpu, peakKib);
      return s == 4 ? 0 : 1;
    }
  }
}
