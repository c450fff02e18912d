// The exported calls of xldl.dll over the engine core and WinHTTP. No C++
// exception leaves a call: the caller is a C program across a DLL boundary.
#include <windows.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "engine/engine.h"
#include "engine/records.h"
#include "engine/win32/wide_text.h"
#include "engine/win32/winhttp_transport.h"
#include "engine/win32/xldl_api.h"

using lum::engine::Engine;
using lum::engine::TaskInfo;
using lum::engine::TaskParams;
using lum::engine::TaskSpec;

namespace {

// Made by XL_Init and destroyed only by XL_UnInit. No static destructor may
// touch it: at process exit the task threads are already gone and joining them
// under the loader lock would hang the exit.
std::mutex g_mu;
Engine* g_engine = nullptr;
bool g_pinned = false;

Engine* Current() {
  std::lock_guard g(g_mu);
  return g_engine;
}

std::uint32_t Id(HANDLE h) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h)); }
HANDLE Handle(std::uint32_t id) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(id)); }

// Task threads run code of this library, so once a task has started the
// library stays loaded until the process ends, whatever FreeLibrary is called.
void PinSelf() {
  std::lock_guard g(g_mu);
  if (g_pinned) return;
  HMODULE self = nullptr;
  g_pinned = GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                reinterpret_cast<LPCWSTR>(&PinSelf), &self) != 0;
}

std::string Text(const wchar_t* s) { return s ? lum::engine::win32::Narrow(s) : std::string(); }

HANDLE Create(const TaskSpec& setup) {
  Engine* e = Current();
  return e ? Handle(e->CreateTask(setup)) : nullptr;
}

BOOL Query(HANDLE task, TaskInfo* info) {
  if (!info) return FALSE;
  Engine* e = Current();
  auto snap = e ? e->Query(Id(task)) : std::nullopt;
  if (!snap) {
    info->status = lum::engine::kStatusFailed;
    return FALSE;
  }
  lum::engine::FillTaskInfo(*snap, *info);
  return TRUE;
}

template <typename F>
auto Guard(F f, decltype(f()) onError) noexcept -> decltype(f()) {
  try {
    return f();
  } catch (...) {
    return onError;
  }
}

}  // namespace

extern "C" {

BOOL WINAPI XL_Init() {
  return Guard([] {
    std::lock_guard g(g_mu);
    if (!g_engine) {
      g_engine = new Engine(lum::engine::MakeWinHttpTransport(),
                            std::shared_ptr<lum::engine::IEngineFiles>(lum::engine::MakeNativeFiles()));
    }
    return TRUE;
  }, FALSE);
}

BOOL WINAPI XL_UnInit() {
  return Guard([] {
    Engine* e;
    {
      std::lock_guard g(g_mu);
      e = g_engine;
      g_engine = nullptr;
    }
    delete e;  // stops every task outside the lock
    return TRUE;
  }, FALSE);
}

HANDLE WINAPI XL_CreateTask(const TaskParams* params) {
  return Guard([params]() -> HANDLE {
    if (!params) return nullptr;
    auto setup = lum::engine::SpecFromParams(*params);
    return setup ? Create(*setup) : nullptr;
  }, nullptr);
}

BOOL WINAPI XL_DeleteTask(HANDLE task) {
  return Guard([task] {
    Engine* e = Current();
    return e && e->DeleteTask(Id(task)) ? TRUE : FALSE;
  }, FALSE);
}

BOOL WINAPI XL_StartTask(HANDLE task) {
  return Guard([task] {
    Engine* e = Current();
    if (!e) return FALSE;
    PinSelf();
    return e->StartTask(Id(task)) ? TRUE : FALSE;
  }, FALSE);
}

BOOL WINAPI XL_StopTask(HANDLE task) {
  return Guard([task] {
    Engine* e = Current();
    return e && e->StopTask(Id(task)) ? TRUE : FALSE;
  }, FALSE);
}

// Returns at once; the task reads as stopped once what has arrived is written
// out. The program calls it when it is asked to end during a download, and
// must not hang there on a connection that has stalled.
BOOL WINAPI XL_ForceStopTask(HANDLE task) {
  return Guard([task] {
    Engine* e = Current();
    return e && e->RequestStop(Id(task)) ? TRUE : FALSE;
  }, FALSE);
}

BOOL WINAPI XL_QueryTaskInfo(HANDLE task, TaskInfo* info) {
  return Guard([=] { return Query(task, info); }, FALSE);
}

BOOL WINAPI XL_QueryTaskInfoEx(HANDLE task, TaskInfo* info) {
  return Guard([=] { return Query(task, info); }, FALSE);
}

BOOL WINAPI XL_DelTempFile(const TaskParams* params) {
  return Guard([params] {
    if (!params) return FALSE;
    auto setup = lum::engine::SpecFromParams(*params);
    if (!setup) return FALSE;
    std::wstring base = lum::engine::win32::Wide(setup->saveDir + setup->fileName);
    DeleteFileW((base + L".td").c_str());
    DeleteFileW((base + L".td.cfg").c_str());
    return TRUE;
  }, FALSE);
}

BOOL WINAPI XL_SetSpeedLimit(INT32 kilobytesPerSecond) {
  return Guard([=] {
    Engine* e = Current();
    if (!e) return FALSE;
    e->SetSpeedLimit(kilobytesPerSecond > 0 ? static_cast<std::int64_t>(kilobytesPerSecond) * 1024 : 0);
    return TRUE;
  }, FALSE);
}

BOOL WINAPI XL_SetUploadSpeedLimit(INT32, INT32) { return TRUE; }

BOOL WINAPI XL_SetProxy(const wchar_t* hostPort) {
  return Guard([=] {
    Engine* e = Current();
    if (!e) return FALSE;
    e->SetProxy(Text(hostPort));
    return TRUE;
  }, FALSE);
}

BOOL WINAPI XL_SetUserAgent(const wchar_t* userAgent) {
  return Guard([=] {
    Engine* e = Current();
    if (!e || !userAgent || !*userAgent) return FALSE;
    e->SetUserAgent(Text(userAgent));
    return TRUE;
  }, FALSE);
}

BOOL WINAPI XL_ParseThunderPrivateUrl(const wchar_t* thunderUrl, wchar_t* url, INT32 urlChars) {
  return Guard([=] {
    if (!thunderUrl || !url || urlChars <= 0) return FALSE;
    auto inner = lum::engine::DecodeThunderUrl(Text(thunderUrl));
    if (!inner) return FALSE;
    std::wstring w = lum::engine::win32::Wide(lum::engine::win32::AnsiToUtf8(*inner));
    if (w.size() + 1 > static_cast<std::size_t>(urlChars)) return FALSE;
    std::memcpy(url, w.c_str(), (w.size() + 1) * sizeof(wchar_t));
    return TRUE;
  }, FALSE);
}

BOOL WINAPI XL_GetFileSizeWithUrl(const wchar_t* url, INT64* size) {
  return Guard([=] {
    Engine* e = Current();
    if (!e || !url || !size) return FALSE;
    auto n = e->ProbeSize(Text(url));
    if (!n) return FALSE;
    *size = *n;
    return TRUE;
  }, FALSE);
}

BOOL WINAPI XL_SetFileIdAndSize(HANDLE, const char*, UINT64) { return FALSE; }

BOOL WINAPI XL_SetAdditionInfo(HANDLE, void*, const wchar_t*) { return FALSE; }

HANDLE WINAPI XL_CreateTaskByURL(const wchar_t* url, const wchar_t* saveDir, const wchar_t* fileName, BOOL) {
  return Guard([=]() -> HANDLE {
    TaskSpec setup{Text(url), Text(saveDir), Text(fileName)};
    if (setup.fileName.find_first_of("\\/:") != std::string::npos) return nullptr;
    return Create(setup);
  }, nullptr);
}

HANDLE WINAPI XL_CreateTaskByThunder(const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                                     const wchar_t*) {
  return nullptr;
}

}  // extern "C"
