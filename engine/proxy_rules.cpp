#include "engine/proxy_rules.h"

#include <cctype>
#include <vector>

namespace lum::engine {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsSeparator(char c) { return c == ';' || c == ',' || std::isspace(static_cast<unsigned char>(c)); }

std::vector<std::string_view> Tokens(std::string_view list) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && IsSeparator(list[i])) ++i;
    std::size_t start = i;
    while (i < list.size() && !IsSeparator(list[i])) ++i;
    if (i > start) out.push_back(list.substr(start, i - start));
  }
  return out;
}

bool AllDigits(std::string_view s) {
  if (s.empty() || s.size() > 5) return false;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

int ToPort(std::string_view s) {
  int v = 0;
  for (char c : s) v = v * 10 + (c - '0');
  return v;
}

// "scheme://rest" without its scheme; anything else as it is.
std::string_view WithoutScheme(std::string_view s) {
  auto p = s.find("://");
  return p == std::string_view::npos ? s : s.substr(p + 3);
}

// A proxy entry's value: "http://host:port/" is written as "host:port".
std::string CleanProxy(std::string_view v) {
  v = WithoutScheme(v);
  while (!v.empty() && v.back() == '/') v.remove_suffix(1);
  return std::string(v);
}

// '*' matches any run of characters, including none; both sides lower case.
bool Glob(std::string_view pattern, std::string_view text) {
  std::size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p, ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

std::optional<UrlHost> SplitUrlHost(std::string_view url) {
  auto sep = url.find("://");
  if (sep == std::string_view::npos || sep == 0) return std::nullopt;
  UrlHost out;
  out.scheme = Lower(url.substr(0, sep));
  std::string_view auth = url.substr(sep + 3);
  auth = auth.substr(0, auth.find_first_of("/?#"));
  auto at = auth.rfind('@');
  if (at != std::string_view::npos) auth = auth.substr(at + 1);
  std::string_view host = auth, port;
  if (!auth.empty() && auth.front() == '[') {
    auto close = auth.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = auth.substr(1, close - 1);
    std::string_view rest = auth.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      port = rest.substr(1);
    }
  } else {
    auto colon = auth.rfind(':');
    if (colon != std::string_view::npos) {
      host = auth.substr(0, colon);
      port = auth.substr(colon + 1);
    }
  }
  if (host.empty()) return std::nullopt;
  out.host = Lower(host);
  if (!port.empty()) {
    if (!AllDigits(port)) return std::nullopt;
    out.port = ToPort(port);
  } else {
    out.port = out.scheme == "https" ? 443 : out.scheme == "http" ? 80 : 0;
  }
  return out;
}

std::string ProxyForScheme(std::string_view list, std::string_view scheme) {
  std::string want = Lower(scheme), forScheme, forAll;
  for (std::string_view entry : Tokens(list)) {
    auto eq = entry.find('=');
    if (eq == std::string_view::npos) {
      if (forAll.empty()) forAll = CleanProxy(entry);
    } else if (forScheme.empty() && Lower(entry.substr(0, eq)) == want) {
      forScheme = CleanProxy(entry.substr(eq + 1));
    }
  }
  return forScheme.empty() ? forAll : forScheme;
}

bool BypassesProxy(std::string_view bypass, std::string_view host, int port) {
  std::string h = Lower(host);
  for (std::string_view entry : Tokens(bypass)) {
    std::string e = Lower(entry);
    if (e == "<local>") {
      if (h.find_first_of(".:") == std::string::npos) return true;
      continue;
    }
    std::string_view pattern = WithoutScheme(e);
    int wantPort = 0;
    if (!pattern.empty() && pattern.front() == '[') {
      // "[v6-address]" or "[v6-address]:port"
      auto close = pattern.find(']');
      if (close == std::string_view::npos) continue;
      std::string_view rest = pattern.substr(close + 1);
      if (rest.size() > 1 && rest.front() == ':' && AllDigits(rest.substr(1))) wantPort = ToPort(rest.substr(1));
      pattern = pattern.substr(1, close - 1);
    } else if (auto colon = pattern.rfind(':');
               colon != std::string_view::npos && pattern.find(':') == colon && AllDigits(pattern.substr(colon + 1))) {
      wantPort = ToPort(pattern.substr(colon + 1));
      pattern = pattern.substr(0, colon);
    }
    if (wantPort != 0 && wantPort != port) continue;
    if (!pattern.empty() && Glob(pattern, h)) return true;
  }
  return false;
}

std::string ManualProxyFor(std::string_view url, std::string_view list, std::string_view bypass) {
  auto u = SplitUrlHost(url);
  if (!u) return {};
  std::string proxy = ProxyForScheme(list, u->scheme);
  if (proxy.empty() || BypassesProxy(bypass, u->host, u->port)) return {};
  return proxy;
}

}  // namespace lum::engine
