// xldl.dll behind the proxy Internet Options set: each case writes the
// current user's connection settings (the DefaultConnectionSettings value,
// which WinHTTP reads) and fetches from nginx on 127.0.0.1, whose /via/ files
// are served only to requests relayed by tinyproxy (403 to anyone else) and
// whose /open/ files are served to anyone. The proxy's log shows which
// requests went through it. Runs in a Wine prefix of its own, so the settings
// never reach other tests.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "engine/task_records.h"
#include "engine/win32/xldl_api.h"

namespace {

using lum::engine::TaskInfo;
using lum::engine::TaskParams;

using InitFn = decltype(&XL_Init);
using CreateFn = decltype(&XL_CreateTask);
using StartFn = decltype(&XL_StartTask);
using QueryFn = decltype(&XL_QueryTaskInfoEx);
using DeleteFn = decltype(&XL_DeleteTask);
using SetProxyFn = decltype(&XL_SetProxy);
using SizeFn = decltype(&XL_GetFileSizeWithUrl);

std::wstring WinPath(const char* unixPath) {
  std::wstring w = L"Z:";
  for (const char* p = unixPath; *p; ++p) w += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  return w;
}

std::string ReadAll(const std::wstring& path) {
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return "<missing>";
  std::string s;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}

std::wstring Dir() { return WinPath(LUMORA_PROXY_DIR); }

std::string Port(const wchar_t* name) {
  std::string s = ReadAll(Dir() + L"\\" + name + L".port");
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Internet Options' connection settings as Windows stores them: a version,
// a change counter, the flags (1 direct, 2 manual proxy, 4 script address,
// 8 automatic detection), then the proxy list, the bypass list and the
// script address, each as a length and ANSI text, then fields this engine
// does not read.
enum : DWORD { kDirect = 1, kManual = 2, kScript = 4, kDetect = 8 };

bool WriteConnectionSettings(DWORD flags, const std::string& proxy, const std::string& bypass,
                             const std::string& script) {
  static DWORD counter = 1;
  std::vector<BYTE> blob;
  auto dword = [&](DWORD v) {
    for (int i = 0; i < 4; ++i) blob.push_back(static_cast<BYTE>(v >> (8 * i)));
  };
  auto text = [&](const std::string& s) {
    dword(static_cast<DWORD>(s.size()));
    blob.insert(blob.end(), s.begin(), s.end());
  };
  dword(0x46);
  dword(++counter);
  dword(flags);
  text(proxy);
  text(bypass);
  text(script);
  blob.resize(blob.size() + 32, 0);
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections", 0,
                      nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG r = RegSetValueExW(key, L"DefaultConnectionSettings", 0, REG_BINARY, blob.data(),
                          static_cast<DWORD>(blob.size()));
  RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

// Requests the proxy relayed whose URL contains `mark`.
int ProxiedRequests(const std::string& mark) {
  std::string log = ReadAll(Dir() + L"\\proxy.log");
  int n = 0;
  for (std::size_t at = 0; (at = log.find(mark, at)) != std::string::npos; at += mark.size()) ++n;
  return n;
}

class EngineProxy : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dll_ = LoadLibraryW(WinPath(LUMORA_XLDL_PATH).c_str());
    ASSERT_NE(dll_, nullptr) << GetLastError();
    init_ = reinterpret_cast<InitFn>(Proc("XL_Init"));
    create_ = reinterpret_cast<CreateFn>(Proc("XL_CreateTask"));
    start_ = reinterpret_cast<StartFn>(Proc("XL_StartTask"));
    query_ = reinterpret_cast<QueryFn>(Proc("XL_QueryTaskInfoEx"));
    delete_ = reinterpret_cast<DeleteFn>(Proc("XL_DeleteTask"));
    setProxy_ = reinterpret_cast<SetProxyFn>(Proc("XL_SetProxy"));
    size_ = reinterpret_cast<SizeFn>(Proc("XL_GetFileSizeWithUrl"));
    ASSERT_TRUE(init_ && create_ && start_ && query_ && delete_ && setProxy_ && size_);
    ASSERT_TRUE(init_());
  }
  static void TearDownTestSuite() { WriteConnectionSettings(kDirect, "", "", ""); }
  static void* Proc(const char* name) { return reinterpret_cast<void*>(GetProcAddress(dll_, name)); }

  // "http://HOST:web/KIND/image.bin?case=MARK"; the mark tells the proxy's
  // log lines of one case from the others.
  static std::string Url(const char* host, const char* kind, const std::string& mark) {
    return std::string("http://") + host + ":" + Port(L"web") + "/" + kind + "/image.bin?case=" + mark;
  }
  // The proxies listen on 127.0.0.2: see proxy_servers.sh.
  static std::string Proxy(const wchar_t* which) { return "127.0.0.2:" + Port(which); }

  // The program's way: create, start, poll until finished or failed. The
  // poll is bounded only so that a hang fails the test instead of blocking it.
  static TaskInfo Fetch(const std::string& url, const std::wstring& name) {
    auto p = std::make_unique<TaskParams>();
    std::memset(p.get(), 0, sizeof *p);
    p->value18360 = 5;
    std::wstring wurl = Wide(url), dir = Dir() + L"\\out\\";
    DeleteFileW((dir + name).c_str());
    std::wcsncpy(reinterpret_cast<wchar_t*>(p->url), wurl.c_str(), lum::engine::kMaxUrlChars);
    std::wcsncpy(reinterpret_cast<wchar_t*>(p->fileName), name.c_str(), lum::engine::kMaxNameChars);
    std::wcsncpy(reinterpret_cast<wchar_t*>(p->saveDir), dir.c_str(), lum::engine::kMaxDirChars);
    HANDLE task = create_(p.get());
    EXPECT_NE(task, nullptr);
    TaskInfo info;
    std::memset(&info, 0, sizeof info);
    start_(task);
    for (int i = 0; i < 12000; ++i) {
      Sleep(10);
      std::memset(&info, 0, sizeof info);
      info.status = 2;
      query_(task, &info);
      if ((info.status & 0xFF) == 1 || (info.status & 0xFF) == 4) break;
    }
    delete_(task);
    return info;
  }

  static bool SameAsServed(const std::wstring& name) {
    return ReadAll(Dir() + L"\\out\\" + name) == ReadAll(Dir() + L"\\srv\\image.bin");
  }

  static HMODULE dll_;
  static InitFn init_;
  static CreateFn create_;
  static StartFn start_;
  static QueryFn query_;
  static DeleteFn delete_;
  static SetProxyFn setProxy_;
  static SizeFn size_;
};

HMODULE EngineProxy::dll_;
InitFn EngineProxy::init_;
CreateFn EngineProxy::create_;
StartFn EngineProxy::start_;
QueryFn EngineProxy::query_;
DeleteFn EngineProxy::delete_;
SetProxyFn EngineProxy::setProxy_;
SizeFn EngineProxy::size_;

// Settings under which the file arrives whole, through the proxy or not.
TEST_F(EngineProxy, SettingsDecideWhetherTheProxyCarriesTheDownload) {
  const std::string proxy = Proxy(L"proxy"), refused = Proxy(L"refused");
  const std::string script = "http://127.0.0.1:" + Port(L"web") + "/proxy.pac";
  const std::string missingScript = "http://127.0.0.1:" + Port(L"web") + "/missing.pac";
  struct Case {
    const char* mark;
    DWORD flags;
    std::string proxy, bypass, script;
    const char* host;
    const char* kind;  // "via": served only through the proxy
    bool proxied;
  } cases[] = {
      {"manual", kManual, proxy, "", "", "127.0.0.1", "via", true},
      {"manual-local-bypass-not-loopback", kManual, proxy, "<local>", "", "127.0.0.1", "via", true},
      {"per-scheme", kManual, "http=" + proxy + ";https=" + refused, "", "", "127.0.0.1", "via", true},
      {"other-schemes-only", kManual, "https=" + refused + ";ftp=" + refused, "", "", "127.0.0.1", "open", false},
      {"bypass-listed", kManual, refused, "*.example;127.0.0.1", "", "127.0.0.1", "open", false},
      {"bypass-local", kManual, refused, "<local>", "", "localhost", "open", false},
      {"script-proxy", kScript, "", "", script, "127.0.0.1", "via", true},
      {"script-direct", kScript, "", "", script, "localhost", "open", false},
      {"script-missing-manual", kScript | kManual, proxy, "", missingScript, "127.0.0.1", "via", true},
      // Wine finds no WPAD server here: detection gives no answer, so the
      // manual proxy applies, or without one a direct connection.
      {"detect-then-manual", kDetect | kManual, proxy, "", "", "127.0.0.1", "via", true},
      {"detect-nothing-found", kDetect, "", "", "", "127.0.0.1", "open", false},
      {"nothing-set", kDirect, "", "", "", "127.0.0.1", "open", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mark);
    ASSERT_TRUE(WriteConnectionSettings(c.flags, c.proxy, c.bypass, c.script));
    std::wstring name = Wide(c.mark) + L".bin";
    TaskInfo info = Fetch(Url(c.host, c.kind, c.mark), name);
    ASSERT_EQ(info.status & 0xFF, 4) << "fail code " << info.failCode;
    EXPECT_TRUE(SameAsServed(name));
    if (c.proxied) {
      EXPECT_GT(ProxiedRequests("/via/image.bin?case=" + std::string(c.mark) + " "), 0);
    } else {
      EXPECT_EQ(ProxiedRequests("?case=" + std::string(c.mark) + " "), 0);
    }
  }
}

// The server refuses direct requests: without the proxy the download fails,
// and a proxy that refuses connections or wants a password ends the task as
// failed instead of leaving it waiting.
TEST_F(EngineProxy, WithoutAWorkingProxyTheTaskFails) {
  struct Case {
    const char* mark;
    DWORD flags;
    std::string proxy;
    std::int32_t failCode;
  } cases[] = {
      {"direct-refused-by-server", kDirect, "", 403},
      {"proxy-wants-password", kManual, Proxy(L"authproxy"), 407},
      {"proxy-refuses", kManual, Proxy(L"refused"), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mark);
    ASSERT_TRUE(WriteConnectionSettings(c.flags, c.proxy, "", ""));
    std::wstring name = Wide(c.mark) + L".bin";
    TaskInfo info = Fetch(Url("127.0.0.1", "via", c.mark), name);
    EXPECT_EQ(info.status & 0xFF, 1);
    EXPECT_EQ(info.failCode, c.failCode);
    EXPECT_EQ(ProxiedRequests("?case=" + std::string(c.mark) + " "), 0);
  }
}

// A proxy named through XL_SetProxy is used whatever Internet Options say;
// an empty one hands the choice back to them. The size query goes the same way.
TEST_F(EngineProxy, NamedProxyOverridesTheSettingsUntilCleared) {
  ASSERT_TRUE(WriteConnectionSettings(kDirect, "", "", ""));
  std::wstring proxy = Wide(Proxy(L"proxy"));
  ASSERT_TRUE(setProxy_(proxy.c_str()));
  TaskInfo info = Fetch(Url("127.0.0.1", "via", "named"), L"named.bin");
  EXPECT_EQ(info.status & 0xFF, 4) << "fail code " << info.failCode;
  EXPECT_TRUE(SameAsServed(L"named.bin"));
  EXPECT_GT(ProxiedRequests("/via/image.bin?case=named "), 0);

  ASSERT_TRUE(setProxy_(nullptr));
  info = Fetch(Url("127.0.0.1", "via", "named-cleared"), L"named-cleared.bin");
  EXPECT_EQ(info.status & 0xFF, 1);
  EXPECT_EQ(info.failCode, 403);

  ASSERT_TRUE(WriteConnectionSettings(kManual, Proxy(L"proxy"), "", ""));
  INT64 size = 0;
  std::wstring url = Wide(Url("127.0.0.1", "via", "size"));
  ASSERT_TRUE(size_(url.c_str(), &size));
  EXPECT_EQ(size, 6 << 20);
  EXPECT_GT(ProxiedRequests("/via/image.bin?case=size "), 0);
}

}  // namespace
