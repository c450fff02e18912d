#pragma once
// The download engine: a table of tasks, each fetching one URL into one file
// on threads of its own. This is what the exported calls of xldl.dll drive,
// and what the host tests drive directly.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/files.h"
#include "engine/options.h"
#include "engine/transport.h"

namespace lum::engine {

class Task;

struct TaskSpec {
  std::string url;
  std::string saveDir;   // ends in a path separator (one is added when missing)
  std::string fileName;  // saved as saveDir + fileName; partial data in fileName + ".td"
};

// Why a task failed. Values from 100 up are the HTTP status that ended it.
enum FailCode : std::int32_t {
  kFailNone = 0,
  kFailNetwork = 1,            // connection errors outlasted the retries
  kFailFileIo = 2,             // the data or state file could not be written or renamed
  kFailTooManyRedirects = 3,
  kFailBadResponse = 4,        // a reply that contradicts the file (bad Content-Range, 416)
  kFailChangedTooOften = 5,    // the file kept changing on the server
  kFailBadRequest = 6,         // empty URL or file name
};

struct TaskSnapshot {
  std::int32_t status = 0;  // TaskStatusCode of task_records.h
  std::int32_t failCode = kFailNone;
  std::int64_t total = 0;   // 0 while unknown
  std::int64_t received = 0;
  float fraction = 0.0f;
  std::int32_t speed = 0;   // bytes per second
};

class Engine {
 public:
  Engine(std::shared_ptr<IHttpTransport> transport, std::shared_ptr<IEngineFiles> files,
         EngineOptions options = {});
  ~Engine();  // stops every task and waits for its threads
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // 0 when the setup is unusable (empty URL or name).
  std::uint32_t CreateTask(const TaskSpec& setup);
  bool StartTask(std::uint32_t id);
  bool StopTask(std::uint32_t id);    // waits until its connections are closed
  bool RequestStop(std::uint32_t id);  // the same without waiting: Query tells when it has stopped
  bool DeleteTask(std::uint32_t id);  // stops it and forgets it; its files stay
  std::optional<TaskSnapshot> Query(std::uint32_t id);

  void SetSpeedLimit(std::int64_t bytesPerSecond);  // 0: unlimited
  void SetUserAgent(const std::string& agent);
  void SetProxy(const std::string& hostPort);       // empty: the system's setting

  // The length of the file at `url`, asked of the server without fetching it.
  std::optional<std::int64_t> ProbeSize(const std::string& url);

 private:
  std::shared_ptr<Task> Find(std::uint32_t id);

  std::shared_ptr<IHttpTransport> transport_;
  std::shared_ptr<IEngineFiles> files_;
  std::shared_ptr<SharedSettings> settings_;
  std::mutex mu_;
  std::map<std::uint32_t, std::shared_ptr<Task>> tasks_;
  std::uint32_t nextId_ = 1;
};

}  // namespace lum::engine
