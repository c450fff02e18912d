#include "download/core_engine.h"

#include "engine/records.h"

namespace lum {

CoreEngineLoader::CoreEngineLoader(IFiles& files, EngineFactory factory, DirMapper mapDir)
    : files_(files), factory_(std::move(factory)), mapDir_(std::move(mapDir)) {}

CoreEngineLoader::~CoreEngineLoader() = default;

IEngineCalls* CoreEngineLoader::Bind(const std::string& libraryPath) {
  if (engine_) return this;
  if (!files_.FileExists(libraryPath)) return nullptr;
  engine_ = factory_();
  if (!engine_) return nullptr;
  boundPath_ = libraryPath;
  return this;
}

bool CoreEngineLoader::Init() { return engine_ != nullptr; }

TaskHandle CoreEngineLoader::CreateTask(TaskParams& params) {
  auto setup = engine::SpecFromParams(params);
  if (!setup) return 0;
  setup->saveDir = mapDir_(setup->saveDir);
  return engine_->CreateTask(*setup);
}

bool CoreEngineLoader::StartTask(TaskHandle task) {
  return engine_->StartTask(static_cast<std::uint32_t>(task));
}

bool CoreEngineLoader::QueryTaskInfoEx(TaskHandle task, TaskInfo& info) {
  auto snapshot = engine_->Query(static_cast<std::uint32_t>(task));
  if (!snapshot) {
    info.status = engine::kStatusFailed;
    return false;
  }
  engine::FillTaskInfo(*snapshot, info);
  return true;
}

bool CoreEngineLoader::RequestStop(TaskHandle task) {
  return engine_->RequestStop(static_cast<std::uint32_t>(task));
}

}  // namespace lum
