#include "engine/host/curl_transport.h"

#include <curl/curl.h>

#include <cctype>
#include <charconv>
#include <string>
#include <string_view>

namespace lum::engine {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

struct Exchange {
  IHttpSink* sink = nullptr;
  const std::atomic<bool>* cancel = nullptr;
  HttpHead head;
  bool headSent = false;
  bool stopped = false;  // the sink or the cancel flag ended the transfer

  bool SendHead() {
    headSent = true;
    if (!sink->OnHead(head)) stopped = true;
    return !stopped;
  }
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto* x = static_cast<Exchange*>(user);
  std::string_view line(data, size * count);
  std::string_view t = Trim(line);
  if (t.empty()) {
    // End of one header block; 1xx blocks are followed by the real one.
    if (x->head.status >= 200 && !x->headSent && !x->SendHead()) return 0;
    return size * count;
  }
  if (t.substr(0, 5) == "HTTP/") {
    x->head = HttpHead{};
    auto sp = t.find(' ');
    if (sp != std::string_view::npos) {
      std::string_view code = t.substr(sp + 1, 3);
      std::from_chars(code.data(), code.data() + code.size(), x->head.status);
    }
    return size * count;
  }
  auto colon = t.find(':');
  if (colon == std::string_view::npos) return size * count;
  std::string_view name = Trim(t.substr(0, colon)), value = Trim(t.substr(colon + 1));
  HttpHead& h = x->head;
  if (SameName(name, "Content-Length")) {
    std::int64_t n = -1;
    auto [p, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    h.contentLength = ec == std::errc() && n >= 0 ? n : -1;
  } else if (SameName(name, "Content-Range")) {
    h.contentRange = value;
  } else if (SameName(name, "Accept-Ranges")) {
    h.acceptRanges = value;
  } else if (SameName(name, "ETag")) {
    h.etag = value;
  } else if (SameName(name, "Last-Modified")) {
    h.lastModified = value;
  } else if (SameName(name, "Location")) {
    h.location = value;
  } else if (SameName(name, "Transfer-Encoding")) {
    h.contentLength = -1;
  }
  return size * count;
}

std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* user) {
  auto* x = static_cast<Exchange*>(user);
  if (!x->headSent && !x->SendHead()) return 0;
  if (x->cancel->load(std::memory_order_relaxed) ||
      !x->sink->OnBody(reinterpret_cast<const std::uint8_t*>(data), size * count)) {
    x->stopped = true;
    return 0;
  }
  return size * count;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* x = static_cast<Exchange*>(user);
  if (x->cancel->load(std::memory_order_relaxed)) {
    x->stopped = true;
    return 1;
  }
  return 0;
}

class CurlSession : public IHttpSession {
 public:
  CurlSession() : curl_(curl_easy_init()) {}
  ~CurlSession() override {
    if (curl_) curl_easy_cleanup(curl_);
  }

  HttpResult Get(const HttpRequest& rq, IHttpSink& sink, const std::atomic<bool>& cancel,
                 std::string* error) override {
    if (!curl_) {
      if (error) *error = "curl_easy_init failed";
      return HttpResult::Failed;
    }
    CURL* c = curl_;
    curl_easy_reset(c);
    Exchange x;
    x.sink = &sink;
    x.cancel = &cancel;
    curl_easy_setopt(c, CURLOPT_URL, rq.url.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_BUFFERSIZE, 512L * 1024);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &x);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &OnWrite);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &x);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &x);
    if (!rq.userAgent.empty()) curl_easy_setopt(c, CURLOPT_USERAGENT, rq.userAgent.c_str());
    curl_easy_setopt(c, CURLOPT_PROXY, rq.proxy.c_str());  // "" means no proxy
    std::string range;
    if (rq.rangeFrom >= 0) {
      range = std::to_string(rq.rangeFrom) + "-" + (rq.rangeTo >= 0 ? std::to_string(rq.rangeTo) : "");
      curl_easy_setopt(c, CURLOPT_RANGE, range.c_str());
    }
    curl_slist* headers = nullptr;
    std::string ifRange;
    if (!rq.ifRange.empty() && rq.rangeFrom >= 0) {
      ifRange = "If-Range: " + rq.ifRange;
      headers = curl_slist_append(headers, ifRange.c_str());
    }
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);

    CURLcode rc = curl_easy_perform(c);
    // A response without a body still has to be seen by the sink.
    if (rc == CURLE_OK && !x.headSent && x.head.status >= 200) x.SendHead();
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    if (x.stopped) return HttpResult::Aborted;
    if (rc != CURLE_OK) {
      if (error) *error = curl_easy_strerror(rc);
      return HttpResult::Failed;
    }
    return HttpResult::Complete;
  }

 private:
  CURL* curl_;
};

class CurlTransport : public IHttpTransport {
 public:
  CurlTransport() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  std::unique_ptr<IHttpSession> NewSession() override { return std::make_unique<CurlSession>(); }
};

}  // namespace

std::shared_ptr<IHttpTransport> MakeCurlTransport() {
  static std::shared_ptr<IHttpTransport> transport = std::make_shared<CurlTransport>();
  return transport;
}

}  // namespace lum::engine
