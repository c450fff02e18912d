#include "engine/win32/winhttp_transport.h"

#include <windows.h>
#include <winhttp.h>

#include <string>
#include <vector>

#include "engine/win32/system_proxy.h"
#include "engine/win32/wide_text.h"

namespace lum::engine {
namespace {

using win32::Narrow;
using win32::Wide;

constexpr DWORD kReadBlock = 512 * 1024;

class Handle {
 public:
  Handle() = default;
  explicit Handle(HINTERNET h) : h_(h) {}
  ~Handle() { Reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  void Reset(HINTERNET h = nullptr) {
    if (h_) WinHttpCloseHandle(h_);
    h_ = h;
  }
  HINTERNET Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HINTERNET h_ = nullptr;
};

std::string QueryText(HINTERNET req, DWORD what) {
  DWORD bytes = 0;
  WinHttpQueryHeaders(req, what, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes, WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return {};
  std::wstring w(bytes / sizeof(wchar_t) + 1, L'\0');
  if (!WinHttpQueryHeaders(req, what, WINHTTP_HEADER_NAME_BY_INDEX, w.data(), &bytes, WINHTTP_NO_HEADER_INDEX)) {
    return {};
  }
  w.resize(bytes / sizeof(wchar_t));
  return Narrow(w);
}

std::string ErrorText(const char* what) {
  return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

class WinHttpSession : public IHttpSession {
 public:
  explicit WinHttpSession(std::shared_ptr<SystemProxy> system) : buf_(kReadBlock), system_(std::move(system)) {}

  HttpResult Get(const HttpRequest& rq, IHttpSink& sink, const std::atomic<bool>& cancel,
                 std::string* error) override {
    auto fail = [&](const char* what) {
      if (error) *error = ErrorText(what);
      return HttpResult::Failed;
    };
    std::wstring url = Wide(rq.url);
    URL_COMPONENTS uc{};
    uc.dwStructSize = sizeof uc;
    wchar_t host[256], path[8192], extra[8192];
    uc.lpszHostName = host, uc.dwHostNameLength = 256;
    uc.lpszUrlPath = path, uc.dwUrlPathLength = 8192;
    uc.lpszExtraInfo = extra, uc.dwExtraInfoLength = 8192;
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &uc)) return fail("WinHttpCrackUrl");
    if (uc.nScheme != INTERNET_SCHEME_HTTP && uc.nScheme != INTERNET_SCHEME_HTTPS) return fail("scheme");
    std::wstring hostName(host, uc.dwHostNameLength);
    std::wstring object = std::wstring(path, uc.dwUrlPathLength) + std::wstring(extra, uc.dwExtraInfoLength);
    if (object.empty()) object = L"/";

    // A proxy the caller names is used as it is; otherwise Internet Options
    // decide, for this URL (a bypass list or a script may send it direct).
    std::string proxyName = rq.proxy.empty() ? system_->For(rq.url) : rq.proxy;
    if (!session_ || agent_ != rq.userAgent || proxy_ != proxyName) {
      connect_.Reset();
      std::wstring agent = Wide(rq.userAgent), proxy = Wide(proxyName);
      session_.Reset(WinHttpOpen(agent.c_str(),
                                 proxyName.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                                 proxyName.empty() ? WINHTTP_NO_PROXY_NAME : proxy.c_str(),
                                 WINHTTP_NO_PROXY_BYPASS, 0));
      if (!session_) return fail("WinHttpOpen");
      WinHttpSetTimeouts(session_.Get(), 0, 15000, 30000, 30000);
      agent_ = rq.userAgent, proxy_ = proxyName;
    }
    if (!connect_ || connHost_ != hostName || connPort_ != uc.nPort) {
      connect_.Reset(WinHttpConnect(session_.Get(), hostName.c_str(), uc.nPort, 0));
      if (!connect_) return fail("WinHttpConnect");
      connHost_ = hostName, connPort_ = uc.nPort;
    }
    Handle req(WinHttpOpenRequest(connect_.Get(), L"GET", object.c_str(), nullptr, WINHTTP_NO_REFERER,
                                  WINHTTP_DEFAULT_ACCEPT_TYPES,
                                  uc.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
    if (!req) return fail("WinHttpOpenRequest");
    // The engine follows redirects itself.
    DWORD feature = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(req.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof feature);

    std::wstring headers;
    if (rq.rangeFrom >= 0) {
      headers += L"Range: bytes=" + std::to_wstring(rq.rangeFrom) + L"-" +
                 (rq.rangeTo >= 0 ? std::to_wstring(rq.rangeTo) : std::wstring()) + L"\r\n";
      if (!rq.ifRange.empty()) headers += L"If-Range: " + Wide(rq.ifRange) + L"\r\n";
    }
    if (!WinHttpSendRequest(req.Get(), headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                            headers.empty() ? 0 : static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
      connect_.Reset();
      return fail("WinHttpSendRequest");
    }
    if (!WinHttpReceiveResponse(req.Get(), nullptr)) {
      connect_.Reset();
      return fail("WinHttpReceiveResponse");
    }
    HttpHead head;
    DWORD status = 0, size = sizeof status;
    if (!WinHttpQueryHeaders(req.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
      return fail("WinHttpQueryHeaders");
    }
    head.status = static_cast<int>(status);
    std::string length = QueryText(req.Get(), WINHTTP_QUERY_CONTENT_LENGTH);
    if (!length.empty()) {
      try {
        head.contentLength = std::stoll(length);
      } catch (...) {
        head.contentLength = -1;
      }
    }
    head.contentRange = QueryText(req.Get(), WINHTTP_QUERY_CONTENT_RANGE);
    head.acceptRanges = QueryText(req.Get(), WINHTTP_QUERY_ACCEPT_RANGES);
    head.etag = QueryText(req.Get(), WINHTTP_QUERY_ETAG);
    head.lastModified = QueryText(req.Get(), WINHTTP_QUERY_LAST_MODIFIED);
    head.location = QueryText(req.Get(), WINHTTP_QUERY_LOCATION);
    if (!sink.OnHead(head)) {
      connect_.Reset();  // the rest of the body is not wanted on this connection
      return HttpResult::Aborted;
    }

    std::int64_t got = 0;
    for (;;) {
      if (cancel.load(std::memory_order_relaxed)) {
        connect_.Reset();
        return HttpResult::Aborted;
      }
      DWORD n = 0;
      if (!WinHttpReadData(req.Get(), buf_.data(), kReadBlock, &n)) {
        connect_.Reset();
        return fail("WinHttpReadData");
      }
      if (n == 0) break;
      got += n;
      if (!sink.OnBody(buf_.data(), n)) {
        connect_.Reset();
        return HttpResult::Aborted;
      }
    }
    if (head.contentLength >= 0 && got < head.contentLength) {
      connect_.Reset();
      if (error) *error = "body cut short";
      return HttpResult::Failed;
    }
    return HttpResult::Complete;
  }

 private:
  std::vector<std::uint8_t> buf_;
  std::shared_ptr<SystemProxy> system_;
  Handle session_, connect_;
  std::string agent_, proxy_;
  std::wstring connHost_;
  INTERNET_PORT connPort_ = 0;
};

class WinHttpTransport : public IHttpTransport {
 public:
  std::unique_ptr<IHttpSession> NewSession() override { return std::make_unique<WinHttpSession>(system_); }

 private:
  // Shared by every connection, so detection and scripts run once per host.
  std::shared_ptr<SystemProxy> system_ = std::make_shared<SystemProxy>();
};

}  // namespace

std::shared_ptr<IHttpTransport> MakeWinHttpTransport() { return std::make_shared<WinHttpTransport>(); }

}  // namespace lum::engine
