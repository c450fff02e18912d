#include "engine/http_util.h"

#include <cctype>
#include <charconv>

namespace lum::engine {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool ParseInt(std::string_view s, std::int64_t* out) {
  s = Trim(s);
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
  return ec == std::errc() && p == s.data() + s.size() && *out >= 0;
}

// "scheme://authority" part of an absolute URL, or empty.
std::string_view Origin(std::string_view url) {
  auto scheme = url.find("://");
  if (scheme == std::string_view::npos) return {};
  auto path = url.find_first_of("/?#", scheme + 3);
  return path == std::string_view::npos ? url : url.substr(0, path);
}

}  // namespace

std::string ResolveUrl(std::string_view base, std::string_view location) {
  location = Trim(location);
  auto colon = location.find("://");
  if (colon != std::string_view::npos && location.find_first_of("/?#") > colon) {
    return std::string(location);
  }
  std::string_view origin = Origin(base);
  if (location.substr(0, 2) == "//") {
    auto scheme = base.find("://");
    return std::string(base.substr(0, scheme == std::string_view::npos ? 0 : scheme + 1)) +
           std::string(location);
  }
  if (!location.empty() && location.front() == '/') return std::string(origin) + std::string(location);
  // A relative path replaces the last segment of the base path.
  std::string_view rest = base.substr(origin.size());
  auto cut = rest.find_first_of("?#");
  if (cut != std::string_view::npos) rest = rest.substr(0, cut);
  if (location.empty()) return std::string(origin) + std::string(rest);
  if (location.front() == '?') return std::string(origin) + std::string(rest) + std::string(location);
  auto slash = rest.rfind('/');
  std::string dir = slash == std::string_view::npos ? "/" : std::string(rest.substr(0, slash + 1));
  return std::string(origin) + dir + std::string(location);
}

std::optional<ContentRange> ParseContentRange(std::string_view value) {
  value = Trim(value);
  if (value.size() < 6 || value.substr(0, 6) != "bytes ") return std::nullopt;
  value = Trim(value.substr(6));
  auto slash = value.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  ContentRange r;
  std::string_view span = Trim(value.substr(0, slash)), total = Trim(value.substr(slash + 1));
  if (total != "*" && !ParseInt(total, &r.total)) return std::nullopt;
  if (span != "*") {
    auto dash = span.find('-');
    if (dash == std::string_view::npos || !ParseInt(span.substr(0, dash), &r.first) ||
        !ParseInt(span.substr(dash + 1), &r.last) || r.last < r.first) {
      return std::nullopt;
    }
    if (r.total >= 0 && r.last >= r.total) return std::nullopt;
  } else if (r.total < 0) {
    return std::nullopt;
  }
  return r;
}

std::string IfRangeValidator(const std::string& etag, const std::string& lastModified) {
  if (!etag.empty() && etag.rfind("W/", 0) != 0) return etag;
  return lastModified;
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool IsRetryableStatus(int status) {
  return status == 408 || status == 429 || status >= 500;
}

}  // namespace lum::engine
