#include "engine/probe.h"

#include "engine/http_util.h"

namespace lum::engine {
namespace {

class SizeSink : public IHttpSink {
 public:
  HttpHead head;
  bool OnHead(const HttpHead& h) override {
    head = h;
    return false;  // the head is all we need
  }
  bool OnBody(const std::uint8_t*, std::size_t) override { return false; }
};

}  // namespace

std::optional<std::int64_t> ProbeFileSize(IHttpTransport& transport, const std::string& start,
                                          SharedSettings& settings) {
  auto session = transport.NewSession();
  std::atomic<bool> cancel{false};
  std::string url = start;
  for (int hop = 0; hop <= settings.options.maxRedirects; ++hop) {
    HttpRequest rq;
    rq.url = url;
    rq.rangeFrom = 0, rq.rangeTo = 0;
    rq.userAgent = settings.UserAgent();
    rq.proxy = settings.Proxy();
    SizeSink sink;
    session->Get(rq, sink, cancel, nullptr);
    const HttpHead& h = sink.head;
    if (IsRedirect(h.status) && !h.location.empty()) {
      url = ResolveUrl(url, h.location);
      continue;
    }
    if (h.status == 206) {
      auto cr = ParseContentRange(h.contentRange);
      if (cr && cr->total >= 0) return cr->total;
      return std::nullopt;
    }
    if (h.status == 200 && h.contentLength >= 0) return h.contentLength;
    if (h.status == 416) {
      auto cr = ParseContentRange(h.contentRange);
      if (cr && cr->total == 0) return 0;
    }
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace lum::engine
