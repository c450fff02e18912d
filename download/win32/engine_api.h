#pragma once
// xldl.dll loaded at run time and its twenty entry points bound by name into
// one process-wide table. Four of them are called (XL_Init, XL_CreateTask,
// XL_StartTask, XL_QueryTaskInfoEx); the others are bound and never called.
#include "platform/win32/windows_api.h"

#include <array>
#include <cstddef>
#include <string>

#include "download/engine_calls.h"

namespace lum::win32 {

// The slots in the order of the table.
enum EngineSlot : std::size_t {
  kXL_Init,
  kXL_UnInit,
  kXL_CreateTask,
  kXL_DeleteTask,
  kXL_StartTask,
  kXL_StopTask,
  kXL_ForceStopTask,
  kXL_QueryTaskInfo,
  kXL_QueryTaskInfoEx,
  kXL_DelTempFile,
  kXL_SetSpeedLimit,
  kXL_SetUploadSpeedLimit,
  kXL_SetProxy,
  kXL_SetUserAgent,
  kXL_ParseThunderPrivateUrl,
  kXL_GetFileSizeWithUrl,
  kXL_SetFileIdAndSize,
  kXL_SetAdditionInfo,
  kXL_CreateTaskByURL,
  kXL_CreateTaskByThunder,
  kEngineSlotCount
};

// The exported name of each slot.
extern const std::array<const char*, kEngineSlotCount> kEngineSlotNames;

// The entry points the runner calls (stdcall, 32-bit arguments); the first
// four must be there, the stop is used when it is.
using XL_InitFn = BOOL(WINAPI*)();
using XL_CreateTaskFn = HANDLE(WINAPI*)(TaskParams* params);
using XL_StartTaskFn = BOOL(WINAPI*)(HANDLE task);
using XL_QueryTaskInfoExFn = BOOL(WINAPI*)(HANDLE task, TaskInfo* info);
using XL_ForceStopTaskFn = BOOL(WINAPI*)(HANDLE task);

struct EngineApiTable {
  bool bound = false;
  HMODULE module = nullptr;
  std::array<FARPROC, kEngineSlotCount> slots{};  // null where the library lacks the name

  template <typename Fn>
  Fn As(EngineSlot slot) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(slots[slot]));
  }
};

// The process-wide table; one thread uses it, so it has no lock.
extern EngineApiTable EngineApi;

// Loads the library and binds its entry points. While bound, a call with
// reload false returns true at once and changes nothing (whatever the path);
// with reload true the library is unbound first and loaded anew. A library
// that cannot be loaded, or that lacks one of the four called entry points,
// is not bound: false, with GetLastError() telling why (ERROR_PROC_NOT_FOUND
// for a missing entry point).
bool BindEngine(const std::string& libraryPath, bool reload);

// Clears every slot, frees the library and clears the bound flag; nothing
// when unbound.
void UnbindEngine();

// The runner's engine under Windows: the bound xldl.dll.
class BoundEngineLoader : public IEngineLoader, private IEngineCalls {
 public:
  IEngineCalls* Bind(const std::string& libraryPath) override;

 private:
  bool Init() override;
  TaskHandle CreateTask(TaskParams& params) override;
  bool StartTask(TaskHandle task) override;
  bool QueryTaskInfoEx(TaskHandle task, TaskInfo& info) override;
  bool RequestStop(TaskHandle task) override;
};

}  // namespace lum::win32
