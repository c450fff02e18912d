#pragma once
// Small HTTP helpers of the engine: resolving a redirect target, reading a
// Content-Range value, and picking the validator a resumed request sends.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lum::engine {

// Resolves a Location value against the URL that answered with it:
// absolute URLs, "//host/x", "/x" and relative paths.
std::string ResolveUrl(std::string_view base, std::string_view location);

struct ContentRange {
  std::int64_t first = -1, last = -1;  // -1 for "bytes */total"
  std::int64_t total = -1;             // -1 for "bytes a-b/*"
};
std::optional<ContentRange> ParseContentRange(std::string_view value);

// A strong ETag is the best If-Range validator; a Last-Modified date is the
// fallback; a weak ETag cannot be used with If-Range.
std::string IfRangeValidator(const std::string& etag, const std::string& lastModified);

bool IsRedirect(int status);
// Errors worth another try later: timeouts, throttling and server faults.
bool IsRetryableStatus(int status);

}  // namespace lum::engine
