#include "engine/engine.h"

#include <thread>

#include "engine/probe.h"
#include "engine/task.h"

namespace lum::engine {

void RateLimiter::SetRate(std::int64_t bytesPerSecond) {
  std::lock_guard g(mu_);
  rate_ = bytesPerSecond > 0 ? bytesPerSecond : 0;
  next_ = std::chrono::steady_clock::now();
  limited_ = rate_ > 0;
}

void RateLimiter::Consume(std::size_t bytes, const std::atomic<bool>& cancel) {
  if (!limited_.load(std::memory_order_relaxed)) return;
  std::chrono::steady_clock::time_point wakeAt;
  {
    std::lock_guard g(mu_);
    if (rate_ == 0) return;
    auto now = std::chrono::steady_clock::now();
    // At most half a second of unused allowance is carried forward.
    auto floor = now - std::chrono::milliseconds(500);
    if (next_ < floor) next_ = floor;
    wakeAt = next_;
    next_ += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(static_cast<double>(bytes) / static_cast<double>(rate_)));
  }
  while (!cancel.load(std::memory_order_relaxed)) {
    auto now = std::chrono::steady_clock::now();
    if (now >= wakeAt) break;
    using Duration = std::chrono::steady_clock::duration;
    std::this_thread::sleep_for(std::min<Duration>(wakeAt - now, std::chrono::milliseconds(20)));
  }
}

Engine::Engine(std::shared_ptr<IHttpTransport> transport, std::shared_ptr<IEngineFiles> files,
               EngineOptions options)
    : transport_(std::move(transport)), files_(std::move(files)),
      settings_(std::make_shared<SharedSettings>()) {
  settings_->options = options;
}

Engine::~Engine() {
  std::map<std::uint32_t, std::shared_ptr<Task>> tasks;
  {
    std::lock_guard g(mu_);
    tasks.swap(tasks_);
  }
  for (auto& [id, task] : tasks) task->Stop();
}

std::uint32_t Engine::CreateTask(const TaskSpec& setup) {
  if (setup.url.empty() || setup.fileName.empty()) return 0;
  auto task = std::make_shared<Task>(setup, transport_, files_, settings_);
  std::lock_guard g(mu_);
  std::uint32_t id = nextId_++;
  if (nextId_ == 0) nextId_ = 1;
  tasks_[id] = std::move(task);
  return id;
}

std::shared_ptr<Task> Engine::Find(std::uint32_t id) {
  std::lock_guard g(mu_);
  auto it = tasks_.find(id);
  return it == tasks_.end() ? nullptr : it->second;
}

bool Engine::StartTask(std::uint32_t id) {
  auto t = Find(id);
  return t && t->Start();
}

bool Engine::StopTask(std::uint32_t id) {
  auto t = Find(id);
  if (!t) return false;
  t->Stop();
  return true;
}

bool Engine::RequestStop(std::uint32_t id) {
  auto t = Find(id);
  if (!t) return false;
  t->RequestStop();
  return true;
}

bool Engine::DeleteTask(std::uint32_t id) {
  std::shared_ptr<Task> t;
  {
    std::lock_guard g(mu_);
    auto it = tasks_.find(id);
    if (it == tasks_.end()) return false;
    t = std::move(it->second);
    tasks_.erase(it);
  }
  t->Stop();
  return true;
}

std::optional<TaskSnapshot> Engine::Query(std::uint32_t id) {
  auto t = Find(id);
  if (!t) return std::nullopt;
  return t->Query();
}

void Engine::SetSpeedLimit(std::int64_t bytesPerSecond) { settings_->limiter.SetRate(bytesPerSecond); }
void Engine::SetUserAgent(const std::string& agent) { settings_->SetUserAgent(agent); }
void Engine::SetProxy(const std::string& hostPort) { settings_->SetProxy(hostPort); }

std::optional<std::int64_t> Engine::ProbeSize(const std::string& url) {
  return ProbeFileSize(*transport_, url, *settings_);
}

}  // namespace lum::engine
