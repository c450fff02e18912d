#pragma once
// The proxy that Internet Options sets for the current user, as WinHTTP reads
// it: automatic detection (WPAD), an automatic configuration script (a PAC
// address), a manual proxy with its bypass list, or none.
#include <map>
#include <mutex>
#include <string>

namespace lum::engine {

class SystemProxy {
 public:
  SystemProxy() = default;
  ~SystemProxy();
  SystemProxy(const SystemProxy&) = delete;
  SystemProxy& operator=(const SystemProxy&) = delete;

  // "host:port" of the proxy for `url`, or "" for a direct connection.
  std::string For(const std::string& url);

 private:
  std::string Resolve(const std::string& url, const std::string& scheme, bool autoDetect,
                      const std::string& scriptUrl, const std::string& manual, const std::string& bypass);
  bool AskWinHttp(const std::string& url, const std::string& scheme, bool autoDetect,
                  const std::string& scriptUrl, std::string* proxy);

  std::mutex mu_;
  void* resolver_ = nullptr;     // WinHTTP session for WinHttpGetProxyForUrl
  std::string settings_;         // the settings the answers below were found under
  std::map<std::string, std::string> byOrigin_;  // "scheme://host:port" -> proxy or ""
};

}  // namespace lum::engine
