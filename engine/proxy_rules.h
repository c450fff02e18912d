#pragma once
// How a proxy setting of the kind Internet Options keeps applies to one URL.
// The proxy list is "host:port" for every scheme, or entries per scheme
// ("http=host:port;https=host:port;ftp=..."); the bypass list names hosts
// reached directly ("*.example.com", "10.*", "host:8080", and "<local>" for
// every name without a dot). Lists are separated by ';', ',' or blanks. An
// automatic configuration script answers with a list of the first kind
// ("host:port;host2:port"), which the same rules read.
#include <optional>
#include <string>
#include <string_view>

namespace lum::engine {

struct UrlHost {
  std::string scheme;  // lower case: "http", "https"
  std::string host;    // without brackets for an IPv6 address
  int port = 0;        // the scheme's default when the URL names none
};
std::optional<UrlHost> SplitUrlHost(std::string_view url);

// The proxy that `list` names for `scheme` ("host:port"), or "" for none:
// an entry for that scheme wins over an entry for every scheme; a list of
// entries for other schemes only means a direct connection.
std::string ProxyForScheme(std::string_view list, std::string_view scheme);

// True when `bypass` says that `host` at `port` is reached directly.
// Matching ignores case; '*' stands for any run of characters. Loopback
// addresses are not implied: they go through the proxy unless listed.
bool BypassesProxy(std::string_view bypass, std::string_view host, int port);

// A manual setting applied to a URL: "" for a direct connection (no proxy
// for its scheme, a host in the bypass list, or a URL that cannot be read),
// else the proxy's "host:port".
std::string ManualProxyFor(std::string_view url, std::string_view list, std::string_view bypass);

}  // namespace lum::engine
