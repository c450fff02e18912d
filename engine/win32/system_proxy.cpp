#include "engine/win32/system_proxy.h"

#include <windows.h>
#include <winhttp.h>

#include "engine/proxy_rules.h"
#include "engine/win32/wide_text.h"

namespace lum::engine {
namespace {

// Takes a string WinHTTP allocated for the caller and frees it.
std::string Take(LPWSTR s) {
  if (!s) return {};
  std::string out = win32::Narrow(s);
  GlobalFree(s);
  return out;
}

}  // namespace

SystemProxy::~SystemProxy() {
  if (resolver_) WinHttpCloseHandle(static_cast<HINTERNET>(resolver_));
}

std::string SystemProxy::For(const std::string& url) {
  // Read on every request, so a change in Internet Options reaches the next
  // request; only the answers of detection and scripts are kept, and only
  // while the settings stay the same.
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie{};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&ie)) return {};
  bool autoDetect = ie.fAutoDetect != FALSE;
  std::string script = Take(ie.lpszAutoConfigUrl);
  std::string manual = Take(ie.lpszProxy);
  std::string bypass = Take(ie.lpszProxyBypass);
  if (!autoDetect && script.empty() && manual.empty()) return {};

  auto u = SplitUrlHost(url);
  if (!u) return {};
  std::string settings = (autoDetect ? "1\n" : "0\n") + script + "\n" + manual + "\n" + bypass;
  std::string origin = u->scheme + "://" + u->host + ":" + std::to_string(u->port);
  std::lock_guard g(mu_);
  if (settings != settings_) {
    byOrigin_.clear();
    settings_ = settings;
  }
  auto it = byOrigin_.find(origin);
  if (it != byOrigin_.end()) return it->second;
  std::string proxy = Resolve(url, u->scheme, autoDetect, script, manual, bypass);
  byOrigin_[origin] = proxy;
  return proxy;
}

// Detection first, then the script, as Internet Options orders them; when
// neither gives an answer (no WPAD server, a script that cannot be fetched or
// run) the manual proxy applies, and without one the connection is direct.
std::string SystemProxy::Resolve(const std::string& url, const std::string& scheme, bool autoDetect,
                                 const std::string& scriptUrl, const std::string& manual,
                                 const std::string& bypass) {
  std::string proxy;
  if (autoDetect && AskWinHttp(url, scheme, true, {}, &proxy)) return proxy;
  if (!scriptUrl.empty() && AskWinHttp(url, scheme, false, scriptUrl, &proxy)) return proxy;
  return manual.empty() ? std::string() : ManualProxyFor(url, manual, bypass);
}

bool SystemProxy::AskWinHttp(const std::string& url, const std::string& scheme, bool autoDetect,
                             const std::string& scriptUrl, std::string* proxy) {
  if (!resolver_) {
    HINTERNET s = WinHttpOpen(L"Lumora-Engine/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                              WINHTTP_NO_PROXY_BYPASS, 0);
    if (!s) return false;
    // A script server that does not answer must not hold the download up for long.
    WinHttpSetTimeouts(s, 10000, 10000, 10000, 10000);
    resolver_ = s;
  }
  std::wstring target = win32::Wide(url), script = win32::Wide(scriptUrl);
  WINHTTP_AUTOPROXY_OPTIONS options{};
  if (autoDetect) {
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  } else {
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = script.c_str();
  }
  WINHTTP_PROXY_INFO info{};
  BOOL ok = WinHttpGetProxyForUrl(static_cast<HINTERNET>(resolver_), target.c_str(), &options, &info);
  if (!ok && GetLastError() == ERROR_WINHTTP_LOGIN_FAILURE) {
    // The script's server wants the user's logon: asked again with it.
    options.fAutoLogonIfChallenged = TRUE;
    ok = WinHttpGetProxyForUrl(static_cast<HINTERNET>(resolver_), target.c_str(), &options, &info);
  }
  if (!ok) return false;
  std::string list = Take(info.lpszProxy), bypass = Take(info.lpszProxyBypass);
  proxy->clear();
  if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
    // A script may name several proxies; the first one for the scheme is used.
    *proxy = ProxyForScheme(list, scheme);
    auto u = SplitUrlHost(url);
    if (!proxy->empty() && u && BypassesProxy(bypass, u->host, u->port)) proxy->clear();
  }
  return true;
}

}  // namespace lum::engine
