// xldl.dll as the program uses it: LoadLibraryW, the entry points by name,
// TaskParams in and TaskInfo out, downloads over WinHTTP from nginx and from
// the scripted test server on 127.0.0.1.
#include <windows.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/task_records.h"
#include "engine/win32/xldl_api.h"

namespace {

using lum::engine::TaskInfo;
using lum::engine::TaskParams;

// The exports' types, from their declarations.
using InitFn = decltype(&XL_Init);
using CreateFn = decltype(&XL_CreateTask);
using StartFn = decltype(&XL_StartTask);
using QueryFn = decltype(&XL_QueryTaskInfoEx);
using SizeFn = decltype(&XL_GetFileSizeWithUrl);
using ThunderFn = decltype(&XL_ParseThunderPrivateUrl);

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

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Port(const wchar_t* which) {
  std::string s = ReadAll(WinPath(LUMORA_SERVER_DIR) + L"\\" + which);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return std::wstring(s.begin(), s.end());
}

const char* const kNames[] = {
    "XL_Init", "XL_UnInit", "XL_CreateTask", "XL_DeleteTask", "XL_StartTask", "XL_StopTask",
    "XL_ForceStopTask", "XL_QueryTaskInfo", "XL_QueryTaskInfoEx", "XL_DelTempFile",
    "XL_SetSpeedLimit", "XL_SetUploadSpeedLimit", "XL_SetProxy", "XL_SetUserAgent",
    "XL_ParseThunderPrivateUrl", "XL_GetFileSizeWithUrl", "XL_SetFileIdAndSize",
    "XL_SetAdditionInfo", "XL_CreateTaskByURL", "XL_CreateTaskByThunder"};

class EngineDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dll_ = LoadLibraryW(WinPath(LUMORA_XLDL_PATH).c_str());
    ASSERT_NE(dll_, nullptr) << GetLastError();
    init_ = reinterpret_cast<InitFn>(Proc("XL_Init"));
    create_ = reinterpret_cast<CreateFn>(Proc("XL_CreateTask"));
    start_ = reinterpret_cast<StartFn>(Proc("XL_StartTask"));
    query_ = reinterpret_cast<QueryFn>(Proc("XL_QueryTaskInfoEx"));
    ASSERT_TRUE(init_ && create_ && start_ && query_);
    ASSERT_TRUE(init_());
  }
  static void* Proc(const char* name) { return reinterpret_cast<void*>(GetProcAddress(dll_, name)); }

  static std::wstring SrvFile(const wchar_t* name) { return WinPath(LUMORA_SERVER_DIR) + L"\\srv\\" + name; }
  static std::wstring OutDir() { return WinPath(LUMORA_SERVER_DIR) + L"\\out\\"; }
  static std::wstring Nginx(const wchar_t* name) { return L"http://127.0.0.1:" + Port(L"nginx.port") + L"/" + name; }
  static std::wstring Scripted(const wchar_t* name, const wchar_t* query) {
    return L"http://127.0.0.1:" + Port(L"scripted.port") + L"/f/" + name + L"?" + query;
  }

  // The runner's way: zeroed record with the fixed values, texts copied in,
  // create, start, poll until finished or failed.
  TaskInfo Fetch(const std::wstring& url, const std::wstring& name) {
    auto p = std::make_unique<TaskParams>();
    std::memset(p.get(), 0, sizeof *p);
    p->value18360 = 5;
    std::wcsncpy(reinterpret_cast<wchar_t*>(p->url), url.c_str(), lum::engine::kMaxUrlChars);
    std::wcsncpy(reinterpret_cast<wchar_t*>(p->fileName), name.c_str(), lum::engine::kMaxNameChars);
    std::wcsncpy(reinterpret_cast<wchar_t*>(p->saveDir), OutDir().c_str(), lum::engine::kMaxDirChars);
    HANDLE task = create_(p.get());
    EXPECT_NE(task, nullptr);
    start_(task);
    TaskInfo info;
    for (int i = 0; i < 6000; ++i) {
      Sleep(10);
      std::memset(&info, 0, sizeof info);
      info.status = 2;
      query_(task, &info);
      if ((info.status & 0xFF) == 1 || (info.status & 0xFF) == 4) break;
    }
    return info;
  }

  void ExpectFetched(const TaskInfo& info, const std::wstring& name, const std::wstring& source) {
    ASSERT_EQ(info.status & 0xFF, 4) << "fail code " << info.failCode;
    std::string want = ReadAll(source);
    EXPECT_EQ(info.totalSize, static_cast<std::int64_t>(want.size()));
    EXPECT_EQ(info.received, static_cast<std::int64_t>(want.size()));
    EXPECT_EQ(info.fraction, 1.0f);
    EXPECT_TRUE(ReadAll(OutDir() + name) == want);
    EXPECT_FALSE(Exists(OutDir() + name + L".td"));
    EXPECT_FALSE(Exists(OutDir() + name + L".td.cfg"));
  }

  static HMODULE dll_;
  static InitFn init_;
  static CreateFn create_;
  static StartFn start_;
  static QueryFn query_;
};

HMODULE EngineDll::dll_;
InitFn EngineDll::init_;
CreateFn EngineDll::create_;
StartFn EngineDll::start_;
QueryFn EngineDll::query_;

TEST_F(EngineDll, ExportsTheTwentyNames) {
  for (const char* name : kNames) EXPECT_NE(Proc(name), nullptr) << name;
  EXPECT_TRUE(init_());  // again: still ready
}

TEST_F(EngineDll, FetchesFromNginxUnderAChineseName) {
  ExpectFetched(Fetch(Nginx(L"big.bin"), L"系统镜像.gho"), L"系统镜像.gho", SrvFile(L"big.bin"));
  ExpectFetched(Fetch(Nginx(L"empty.bin"), L"empty.bin"), L"empty.bin", SrvFile(L"empty.bin"));
}

TEST_F(EngineDll, SurvivesCutsRedirectsAndChangesOverWinHttp) {
  const struct {
    const wchar_t *query, *out, *source;
  } cases[] = {
      {L"drop=300000", L"drop.bin", L"small.bin"},
      {L"ranges=0&drop=700000&dropcount=2", L"drop-noranges.bin", L"small.bin"},
      {L"redirect=3", L"redirect.bin", L"small.bin"},
      {L"errevery=3", L"errors.bin", L"small.bin"},
      {L"change=1&slow=2", L"changed.bin", L"small.bin.v2"},
      {L"change=1&slow=2&ifrange=0", L"changed2.bin", L"small.bin.v2"},
      // Odd answers to the bounded piece requests.
      {L"short=300000", L"short.bin", L"small.bin"},
      {L"fullrange=1&slow=1", L"fullrange.bin", L"small.bin"},
      {L"close=1", L"close.bin", L"small.bin"},
      {L"nototal=1", L"nototal.bin", L"small.bin"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "query " << std::string(c.query, c.query + std::wcslen(c.query)));
    ExpectFetched(Fetch(Scripted(L"small.bin", c.query), c.out), c.out, SrvFile(c.source));
  }
  // Length unknown and the file ends exactly where the first piece ends.
  ExpectFetched(Fetch(Scripted(L"mib.bin", L"nototal=1"), L"mib.bin"), L"mib.bin", SrvFile(L"mib.bin"));
}

// One counter of the scripted server for one file, read over WinHTTP.
int ServerStat(const std::wstring& name, const std::string& key) {
  int result = -1;
  HINTERNET s = WinHttpOpen(L"test", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  HINTERNET c = s ? WinHttpConnect(s, L"127.0.0.1", static_cast<INTERNET_PORT>(std::stoi(Port(L"scripted.port"))), 0)
                  : nullptr;
  HINTERNET r = c ? WinHttpOpenRequest(c, L"GET", (L"/_stats?name=" + name).c_str(), nullptr, WINHTTP_NO_REFERER,
                                       WINHTTP_DEFAULT_ACCEPT_TYPES, 0)
                  : nullptr;
  if (r && WinHttpSendRequest(r, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
      WinHttpReceiveResponse(r, nullptr)) {
    std::string body;
    char buf[4096];
    DWORD n = 0;
    while (WinHttpReadData(r, buf, sizeof buf, &n) && n > 0) body.append(buf, n);
    auto at = body.find("\"" + key + "\": ");
    if (at != std::string::npos) result = std::atoi(body.c_str() + at + key.size() + 4);
  }
  for (HINTERNET h : {r, c, s}) {
    if (h) WinHttpCloseHandle(h);
  }
  return result;
}

// The pieces of a segment follow one another on a kept-alive WinHTTP
// connection: more requests than connections reached the server.
TEST_F(EngineDll, PiecesReuseTheConnection) {
  ExpectFetched(Fetch(Scripted(L"pieces.bin", L"slow=1"), L"pieces.bin"), L"pieces.bin", SrvFile(L"pieces.bin"));
  int requests = ServerStat(L"pieces.bin", "requests"), connections = ServerStat(L"pieces.bin", "connections");
  EXPECT_GT(connections, 0);
  EXPECT_LE(connections, 8 + 4) << "requests " << requests;  // the 8 connections, and a few cut by splits
  EXPECT_GT(requests, connections + 4);
}

TEST_F(EngineDll, FailuresReadAsStatusOne) {
  TaskInfo info = Fetch(Scripted(L"small.bin", L"status=404"), L"notfound.bin");
  EXPECT_EQ(info.status & 0xFF, 1);
  EXPECT_EQ(info.failCode, 404);
  EXPECT_FALSE(Exists(OutDir() + L"notfound.bin"));
  EXPECT_FALSE(Exists(OutDir() + L"notfound.bin.td"));

  // A refused record gives no task, and a handle that is no task reads as failed.
  auto p = std::make_unique<TaskParams>();
  std::memset(p.get(), 0, sizeof *p);
  EXPECT_EQ(create_(p.get()), nullptr);
  TaskInfo none;
  std::memset(&none, 0, sizeof none);
  none.status = 2;
  EXPECT_FALSE(query_(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x7777)), &none));
  EXPECT_EQ(none.status & 0xFF, 1);
}

TEST_F(EngineDll, TheSmallerCallsAnswer) {
  auto size = reinterpret_cast<SizeFn>(Proc("XL_GetFileSizeWithUrl"));
  INT64 n = -1;
  ASSERT_TRUE(size(Nginx(L"big.bin").c_str(), &n));
  EXPECT_EQ(n, 8 << 20);
  EXPECT_FALSE(size(Nginx(L"none.bin").c_str(), &n));
  auto thunder = reinterpret_cast<ThunderFn>(Proc("XL_ParseThunderPrivateUrl"));
  wchar_t url[64];
  ASSERT_TRUE(thunder(L"thunder://QUFodHRwOi8vaC9hLmlzb1pa", url, 64));
  EXPECT_STREQ(url, L"http://h/a.iso");
  EXPECT_FALSE(thunder(L"thunder://QUFodHRwOi8vaC9hLmlzb1pa", url, 5));
}

}  // namespace
