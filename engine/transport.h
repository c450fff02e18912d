#pragma once
// The engine's view of HTTP: one GET at a time per session, headers first,
// then the body in large blocks. Redirects are not followed here; the core
// follows them itself so that every connection of a file uses the final URL.
// A session may keep its connection open between requests.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace lum::engine {

struct HttpRequest {
  std::string url;              // absolute http:// or https:// URL
  std::int64_t rangeFrom = -1;  // -1: no Range header
  std::int64_t rangeTo = -1;    // inclusive; -1: open-ended ("bytes=N-")
  std::string ifRange;          // validator for If-Range, empty for none
  std::string userAgent;
  // "host:port" of the proxy to use; empty for the system's setting (Internet
  // Options with the WinHTTP transport; the libcurl transport goes direct).
  std::string proxy;
};

struct HttpHead {
  int status = 0;
  std::int64_t contentLength = -1;  // -1 when the server gave none
  std::string contentRange;         // raw Content-Range value
  std::string acceptRanges;
  std::string etag;
  std::string lastModified;
  std::string location;
};

// Receives one response. Returning false from either call ends the transfer
// at once (the transport then reports Aborted).
class IHttpSink {
 public:
  virtual ~IHttpSink() = default;
  virtual bool OnHead(const HttpHead& head) = 0;
  virtual bool OnBody(const std::uint8_t* data, std::size_t size) = 0;
};

enum class HttpResult {
  Complete,  // the whole body as announced arrived
  Aborted,   // the sink asked to stop, or the cancel flag was seen
  Failed,    // connection refused, reset, timed out, or a body cut short
};

class IHttpSession {
 public:
  virtual ~IHttpSession() = default;
  // Runs one GET. `cancel` is watched while waiting for data, so that a
  // stalled connection can be abandoned from another thread.
  virtual HttpResult Get(const HttpRequest& request, IHttpSink& sink,
                         const std::atomic<bool>& cancel, std::string* error) = 0;
};

class IHttpTransport {
 public:
  virtual ~IHttpTransport() = default;
  // One session per worker thread; sessions are used by one thread at a time.
  virtual std::unique_ptr<IHttpSession> NewSession() = 0;
};

}  // namespace lum::engine
