// How a manual proxy setting of Internet Options, or a script's answer, applies
// to a URL: the proxy for the scheme, the bypass list, the URL's host and port.
#include <gtest/gtest.h>

#include "engine/proxy_rules.h"

namespace lum::engine {
namespace {

TEST(ProxyRules, SplitsTheHostOutOfUrls) {
  struct Case {
    const char* url;
    const char* scheme;
    const char* host;
    int port;
  } cases[] = {
      {"http://dl.Lumora.example/a/win7.gho", "http", "dl.lumora.example", 80},
      {"HTTPS://dl.lumora.example:8443/a?x=1", "https", "dl.lumora.example", 8443},
      {"http://user:pw@10.0.0.5:81/a", "http", "10.0.0.5", 81},
      {"http://[::1]:8080/a", "http", "::1", 8080},
      {"https://[fe80::1]/", "https", "fe80::1", 443},
      {"http://intranet#frag", "http", "intranet", 80},
  };
  for (const Case& c : cases) {
    auto u = SplitUrlHost(c.url);
    ASSERT_TRUE(u) << c.url;
    EXPECT_EQ(u->scheme, c.scheme) << c.url;
    EXPECT_EQ(u->host, c.host) << c.url;
    EXPECT_EQ(u->port, c.port) << c.url;
  }
  for (const char* bad : {"", "dl.lumora.example/a", "http:///a", "http://h:80x/", "http://[::1/"}) {
    EXPECT_FALSE(SplitUrlHost(bad)) << bad;
  }
}

TEST(ProxyRules, PicksTheProxyForTheScheme) {
  struct Case {
    const char* list;
    const char* scheme;
    const char* want;
  } cases[] = {
      {"proxy.corp:3128", "http", "proxy.corp:3128"},
      {"proxy.corp:3128", "https", "proxy.corp:3128"},
      {"http=p1:80;https=p2:443;ftp=p3:21", "http", "p1:80"},
      {"http=p1:80;https=p2:443;ftp=p3:21", "https", "p2:443"},
      {"HTTPS=p2:443", "https", "p2:443"},
      // Only other schemes named: this one goes direct.
      {"ftp=p3:21;socks=p4:1080", "http", ""},
      {"https=p2:443", "http", ""},
      // A scheme's own entry wins over the entry for every scheme.
      {"all:1 http=p1:80", "http", "p1:80"},
      {"all:1 http=p1:80", "https", "all:1"},
      // Written with a scheme or a slash, as some tools store it.
      {"http=http://p1:80/", "http", "p1:80"},
      // A script's answer lists proxies in order; the first is taken.
      {"first:8080;second:8080", "http", "first:8080"},
      {"  ;  ", "http", ""},
      {"", "http", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProxyForScheme(c.list, c.scheme), c.want) << c.list << " for " << c.scheme;
  }
}

TEST(ProxyRules, BypassListSendsMatchingHostsDirect) {
  struct Case {
    const char* bypass;
    const char* host;
    int port;
    bool direct;
  } cases[] = {
      {"<local>", "intranet", 80, true},
      {"<local>", "localhost", 80, true},
      {"<LOCAL>", "intranet", 80, true},
      {"<local>", "dl.lumora.example", 80, false},
      {"<local>", "127.0.0.1", 80, false},  // loopback is not implied
      {"<local>", "::1", 80, false},
      {"*.lumora.example", "dl.lumora.example", 80, true},
      {"*.lumora.example", "lumora.example", 80, false},
      {"*.Lumora.Example", "DL.lumora.example", 80, true},
      {"10.*", "10.1.2.3", 80, true},
      {"10.*", "110.1.2.3", 80, false},
      {"*lumora*", "dl.lumora.example", 80, true},
      {"dl.lumora.example", "dl.lumora.example", 80, true},
      {"dl.lumora.example", "dl.lumora.example.cn", 80, false},
      {"dl.*.example", "dl.a.b.example", 80, true},
      {"dl.lumora.example:8080", "dl.lumora.example", 8080, true},
      {"dl.lumora.example:8080", "dl.lumora.example", 80, false},
      {"http://dl.lumora.example", "dl.lumora.example", 80, true},
      {"[::1]", "::1", 80, true},
      {"[::1]:81", "::1", 80, false},
      {"a.example; b.example,  <local>", "intranet", 80, true},
      {"a.example; b.example", "b.example", 80, true},
      {"a.example; b.example", "c.example", 80, false},
      {"", "intranet", 80, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BypassesProxy(c.bypass, c.host, c.port), c.direct)
        << "\"" << c.bypass << "\" for " << c.host << ":" << c.port;
  }
}

TEST(ProxyRules, ManualSettingAppliedToAUrl) {
  struct Case {
    const char* url;
    const char* list;
    const char* bypass;
    const char* want;
  } cases[] = {
      {"http://dl.lumora.example/a/x.gho", "proxy:3128", "", "proxy:3128"},
      {"http://dl.lumora.example/a/x.gho", "proxy:3128", "<local>;*.lumora.example", ""},
      {"http://intranet/a/x.gho", "proxy:3128", "<local>", ""},
      {"http://127.0.0.1:8080/a/x.gho", "proxy:3128", "<local>", "proxy:3128"},
      {"http://127.0.0.1:8080/a/x.gho", "proxy:3128", "127.0.0.1", ""},
      {"https://dl.lumora.example/a/x.gho", "http=p1:80", "", ""},
      {"https://dl.lumora.example/a/x.gho", "http=p1:80;https=p2:8443", "", "p2:8443"},
      {"not a url", "proxy:3128", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ManualProxyFor(c.url, c.list, c.bypass), c.want) << c.url << " / " << c.list << " / " << c.bypass;
  }
}

}  // namespace
}  // namespace lum::engine
