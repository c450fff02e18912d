#pragma once
// The engine core driven in-process, for machines where xldl.dll cannot be
// loaded (the host build and its tests): the four calls go straight to an
// engine::Engine, and the save directories of the task records, which are
// paths of the Windows machine the program sees, are turned into paths of
// the files the engine writes.
#include <functional>
#include <memory>
#include <string>

#include "download/engine_calls.h"
#include "engine/engine.h"
#include "platform/platform.h"

namespace lum {

class CoreEngineLoader : public IEngineLoader, private IEngineCalls {
 public:
  using EngineFactory = std::function<std::unique_ptr<engine::Engine>()>;
  // From a directory as the program names it (ending in a backslash) to the
  // same directory for the engine's files.
  using DirMapper = std::function<std::string(const std::string&)>;

  // The library counts as loadable when the machine has a file at its path
  // (the engine files were deployed); the engine is made at the first bind.
  CoreEngineLoader(IFiles& files, EngineFactory factory, DirMapper mapDir);
  ~CoreEngineLoader() override;

  IEngineCalls* Bind(const std::string& libraryPath) override;
  bool bound() const { return engine_ != nullptr; }
  const std::string& boundPath() const { return boundPath_; }
  engine::Engine* engine() { return engine_.get(); }

 private:
  bool Init() override;
  TaskHandle CreateTask(TaskParams& params) override;
  bool StartTask(TaskHandle task) override;
  bool QueryTaskInfoEx(TaskHandle task, TaskInfo& info) override;
  bool RequestStop(TaskHandle task) override;

  IFiles& files_;
  EngineFactory factory_;
  DirMapper mapDir_;
  std::unique_ptr<engine::Engine> engine_;
  std::string boundPath_;
};

}  // namespace lum
