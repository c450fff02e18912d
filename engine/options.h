#pragma once
// Tuning of the engine and the settings that the exported calls change while
// tasks run (user agent, proxy, speed limit).
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace lum::engine {

struct EngineOptions {
  int connections = 8;                     // per file, when the server serves ranges
  // Never split off less than this: small enough that the last pieces of a
  // file on slow connections do not crawl, large enough that a request per
  // piece costs nothing next to its transfer.
  std::int64_t minPiece = 256 << 10;
  // Each connection asks for its segment in bounded ranges ("pieces") one
  // after the other on the same kept-alive connection, so a piece costs one
  // request head and no new connection. A piece is sized to take about
  // pieceTime at the rate the connection last showed, starting at firstPiece
  // and at most doubling from one piece to the next: servers that meter each
  // response (a burst at its start, then a fixed rate) serve more per piece
  // than per long response, and a short request in flight leaves the rest of
  // the segment free for an idle connection to take without cutting it.
  std::int64_t firstPiece = 1 << 20;
  std::int64_t maxPiece = 64 << 20;
  std::chrono::milliseconds pieceTime{2000};
  // Per connection, written in one call; also the most a crash can cost of
  // each connection's bytes received but not yet written.
  std::size_t writeBuffer = 256 << 10;
  int maxRetries = 8;                      // failed attempts in a row without new bytes
  int maxRedirects = 10;
  int maxRestarts = 3;                     // the file changed on the server
  std::chrono::milliseconds backoffFirst{200};
  std::chrono::milliseconds backoffMax{5000};
  // The state file is rewritten after this long, or sooner once this many
  // bytes have been written since the last time: on a fast link what a crash
  // costs stays a few MiB, not seconds' worth.
  std::chrono::milliseconds checkpointEvery{3000};
  std::int64_t checkpointBytes = 4 << 20;
  std::chrono::seconds speedWindow{5};
};

// Spreads the engine-wide speed limit over every connection of every task.
class RateLimiter {
 public:
  void SetRate(std::int64_t bytesPerSecond);
  // Sleeps as long as needed to keep under the rate; returns at once when
  // unlimited, and as soon as `cancel` is set (a stop must not wait out the
  // allowance of every connection).
  void Consume(std::size_t bytes, const std::atomic<bool>& cancel);

 private:
  std::atomic<bool> limited_{false};
  std::mutex mu_;
  std::int64_t rate_ = 0;
  std::chrono::steady_clock::time_point next_{};
};

class SharedSettings {
 public:
  EngineOptions options;
  RateLimiter limiter;

  void SetUserAgent(const std::string& s) { std::lock_guard g(mu_); userAgent_ = s; }
  void SetProxy(const std::string& s) { std::lock_guard g(mu_); proxy_ = s; }
  std::string UserAgent() { std::lock_guard g(mu_); return userAgent_; }
  std::string Proxy() { std::lock_guard g(mu_); return proxy_; }

 private:
  std::mutex mu_;
  std::string userAgent_ = "Lumora-Engine/1.0";
  std::string proxy_;
};

}  // namespace lum::engine
