#pragma once
// One download: the controller thread, the connection workers and the
// segment table they share.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "engine/state_file.h"

namespace lum::engine {

class Task {
 public:
  Task(TaskSpec setup, std::shared_ptr<IHttpTransport> transport,
       std::shared_ptr<IEngineFiles> files, std::shared_ptr<SharedSettings> settings);
  ~Task();

  bool Start();
  void Stop();
  // Asks the task to stop and returns at once: it writes out what has
  // arrived, its state file last, and then reads as stopped.
  void RequestStop();
  TaskSnapshot Query();

 private:
  struct Segment {
    std::int64_t start = 0;    // where the segment began (0 for the head of the file)
    std::int64_t pos = 0;      // next byte to be claimed from the network
    std::int64_t written = 0;  // bytes before this are in the data file
    std::int64_t end = 0;      // exclusive; may shrink when another worker takes the tail
    bool owned = false;
    std::int64_t reqEnd = 0;   // exclusive end of the range request in flight
  };
  enum class Outcome { Done, Changed, Stopped, Failed };
  enum class SegResult { Done, Changed, Stopped, GiveUp };
  class Receiver;

  void Run();
  Outcome Transfer(bool resume, const TransferState& saved);
  void WorkerLoop(bool first, Segment* initial, bool resume);
  SegResult FetchSegment(IHttpSession& session, Segment* seg, bool probe, bool freshProbe,
                         std::int64_t& piece);
  std::int64_t NextPiece(std::int64_t piece, std::int64_t bytes, double seconds) const;
  Segment* AcquireSegment();
  void Started();
  void SpawnWorkers(int count);
  void Checkpoint(bool force);
  bool Flush(Segment* seg, std::vector<std::uint8_t>& buf);
  void Fail(std::int32_t code);
  void RecordFailure(std::int32_t code);
  void Backoff(int failures);
  bool CancelRequested() const { return cancel_.load(std::memory_order_relaxed); }
  std::string TempPath() const { return target_ + ".td"; }
  std::string CfgPath() const { return target_ + ".td.cfg"; }

  const TaskSpec spec_;
  const std::string target_;
  std::shared_ptr<IHttpTransport> transport_;
  std::shared_ptr<IEngineFiles> files_;
  std::shared_ptr<SharedSettings> settings_;
  const EngineOptions opt_;

  std::thread controller_;
  std::atomic<bool> started_{false};
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> cancel_{false};     // every worker ends its transfer
  std::atomic<bool> changed_{false};    // the file on the server is not the one we had
  std::atomic<std::int32_t> status_{0};
  std::atomic<std::int32_t> failCode_{0};
  std::atomic<std::int32_t> lastError_{0};
  std::atomic<std::int64_t> received_{0};
  std::atomic<std::int64_t> total_{-1};
  std::atomic<std::int64_t> unrecorded_{0};  // bytes written since the state file was last rewritten

  // Shared between the workers of one transfer; guarded by mu_.
  std::mutex mu_;
  std::list<Segment> segs_;
  std::vector<std::thread> workers_;
  bool ranges_ = false;
  std::string url_;  // after redirects
  std::string etag_, lastModified_;
  std::unique_ptr<IDataFile> data_;

  std::mutex checkpointMu_;
  std::chrono::steady_clock::time_point lastCheckpoint_{};
  // The CRC-32 of each piece of present bytes last put in the state file,
  // by where the piece starts; guarded by checkpointMu_.
  struct Proof {
    std::int64_t to = 0;
    std::uint32_t crc = 0;
  };
  std::map<std::int64_t, Proof> proofs_;
  // The ranges of a resumed file that its proofs do not cover.
  std::vector<ByteRange> ProvenMissing(const TransferState& saved);
  bool PieceCrc(const ByteRange& piece, Proof& proof);

  std::mutex stopMu_;
  std::condition_variable stopCv_;

  void RestartSpeedWindow();
  std::mutex speedMu_;
  std::deque<std::pair<std::chrono::steady_clock::time_point, std::int64_t>> samples_;
};

}  // namespace lum::engine
