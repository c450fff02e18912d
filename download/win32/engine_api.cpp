#include "download/win32/engine_api.h"

#include "platform/win32/wide.h"

namespace lum::win32 {

const std::array<const char*, kEngineSlotCount> kEngineSlotNames = {
    "XL_Init",          "XL_UnInit",          "XL_CreateTask",          "XL_DeleteTask",
    "XL_StartTask",     "XL_StopTask",        "XL_ForceStopTask",       "XL_QueryTaskInfo",
    "XL_QueryTaskInfoEx", "XL_DelTempFile",   "XL_SetSpeedLimit",       "XL_SetUploadSpeedLimit",
    "XL_SetProxy",      "XL_SetUserAgent",    "XL_ParseThunderPrivateUrl", "XL_GetFileSizeWithUrl",
    "XL_SetFileIdAndSize", "XL_SetAdditionInfo", "XL_CreateTaskByURL",  "XL_CreateTaskByThunder"};

EngineApiTable EngineApi;

namespace {

constexpr EngineSlot kCalledSlots[] = {kXL_Init, kXL_CreateTask, kXL_StartTask, kXL_QueryTaskInfoEx};

}  // namespace

bool BindEngine(const std::string& libraryPath, bool reload) {
  if (EngineApi.bound) {
    if (!reload) return true;
    UnbindEngine();
  }
  HMODULE module = ::LoadLibraryW(Wide(libraryPath).c_str());
  if (!module) return false;

  std::array<FARPROC, kEngineSlotCount> slots{};
  for (std::size_t i = 0; i < kEngineSlotCount; ++i) slots[i] = ::GetProcAddress(module, kEngineSlotNames[i]);
  for (EngineSlot s : kCalledSlots) {
    if (!slots[s]) {
      // A slot the runner would call must never be null.
      ::FreeLibrary(module);
      ::SetLastError(ERROR_PROC_NOT_FOUND);
      return false;
    }
  }
  EngineApi.slots = slots;
  EngineApi.module = module;
  EngineApi.bound = true;
  return true;
}

void UnbindEngine() {
  if (!EngineApi.bound) return;
  EngineApi.slots.fill(nullptr);
  if (EngineApi.module) {
    KeepLastError keep;
    ::FreeLibrary(EngineApi.module);
    EngineApi.module = nullptr;
  }
  EngineApi.bound = false;
}

IEngineCalls* BoundEngineLoader::Bind(const std::string& libraryPath) {
  return BindEngine(libraryPath, false) ? this : nullptr;
}

bool BoundEngineLoader::Init() { return EngineApi.As<XL_InitFn>(kXL_Init)() != FALSE; }

TaskHandle BoundEngineLoader::CreateTask(TaskParams& params) {
  return reinterpret_cast<TaskHandle>(EngineApi.As<XL_CreateTaskFn>(kXL_CreateTask)(&params));
}

bool BoundEngineLoader::StartTask(TaskHandle task) {
  return EngineApi.As<XL_StartTaskFn>(kXL_StartTask)(reinterpret_cast<HANDLE>(task)) != FALSE;
}

bool BoundEngineLoader::QueryTaskInfoEx(TaskHandle task, TaskInfo& info) {
  return EngineApi.As<XL_QueryTaskInfoExFn>(kXL_QueryTaskInfoEx)(reinterpret_cast<HANDLE>(task), &info) != FALSE;
}

bool BoundEngineLoader::RequestStop(TaskHandle task) {
  // An engine without the call is left to the end of the process.
  if (!EngineApi.slots[kXL_ForceStopTask]) return false;
  return EngineApi.As<XL_ForceStopTaskFn>(kXL_ForceStopTask)(reinterpret_cast<HANDLE>(task)) != FALSE;
}

}  // namespace lum::win32
