#pragma once
// How the download runner reaches the download engine: the four calls it
// makes, behind an interface, so that under Windows they go to the bound
// xldl.dll and on other machines straight to the engine core.
#include <cstdint>
#include <string>

#include "engine/task_records.h"

namespace lum {

using engine::TaskInfo;
using engine::TaskParams;

// The engine's opaque task handle; 0 means no task.
using TaskHandle = std::uintptr_t;

class IEngineCalls {
 public:
  virtual ~IEngineCalls() = default;
  // True when the engine is ready (XL_Init).
  virtual bool Init() = 0;
  // A task for the URL, file name and directory of the record; 0 when the
  // engine refuses it (XL_CreateTask).
  virtual TaskHandle CreateTask(TaskParams& params) = 0;
  virtual bool StartTask(TaskHandle task) = 0;                    // XL_StartTask
  virtual bool QueryTaskInfoEx(TaskHandle task, TaskInfo& info) = 0;  // XL_QueryTaskInfoEx
  // Asks the task to stop without waiting for it (XL_ForceStopTask); false
  // when the engine cannot.
  virtual bool RequestStop(TaskHandle task) = 0;
};

class IEngineLoader {
 public:
  virtual ~IEngineLoader() = default;
  // Binds the engine library at the path, once per process: later calls get
  // the engine bound first, whatever path they name. Null when it cannot be
  // bound.
  virtual IEngineCalls* Bind(const std::string& libraryPath) = 0;
};

}  // namespace lum
