#include "platform/win32/processes_win.h"

#include "platform/win32/windows_api.h"
#include <tlhelp32.h>

#include "platform/win32/wide.h"

namespace lum::win32 {
namespace {

#if !defined(_WIN64)
static_assert(sizeof(STARTUPINFOW) == 68, "start-up information record");
static_assert(sizeof(SECURITY_ATTRIBUTES) == 12, "security attributes record");
static_assert(sizeof(PROCESSENTRY32W) == 556, "ToolHelp process entry");
#endif

constexpr DWORD kStartFlags = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS;
static_assert(kStartFlags == 0x30);
constexpr DWORD kCaptureStartup = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
static_assert(kCaptureStartup == 0x101);
constexpr DWORD kPumpIntervalMs = 100;

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, LPPROCESSENTRY32W);

HANDLE AsHandle(ProcHandle p) { return reinterpret_cast<HANDLE>(p); }

// CreateProcessW may write into the command line, so it gets its own buffer.
std::wstring CommandBuffer(const std::string& commandLine) {
  std::wstring cmd = Wide(commandLine);
  cmd.push_back(L'\0');
  return cmd;
}

// Appends what the pipe holds at this moment, without blocking: the write end
// stays open in this process too, so a plain ReadFile on an empty pipe would
// wait for ever. Only what was there when asked is read, and at most one
// chunk (Wine counts a whole blocked write as available), so that a child
// writing without pause cannot keep the caller from pumping messages.
constexpr DWORD kReadChunk = 1u << 20;

void ReadAvailable(HANDLE pipe, Bytes& out) {
  DWORD avail = 0;
  if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &avail, nullptr) || avail == 0) return;
  if (avail > kReadChunk) avail = kReadChunk;
  std::size_t at = out.size();
  out.resize(at + avail);
  DWORD done = 0;
  while (done < avail) {
    DWORD got = 0;
    if (!::ReadFile(pipe, out.data() + at + done, avail - done, &got, nullptr) || got == 0) break;
    done += got;
  }
  out.resize(at + done);
}

}  // namespace

std::optional<ProcHandle> Win32Processes::Start(const std::string& commandLine, int show) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION pi{};
  std::wstring cmd = CommandBuffer(commandLine);
  if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, kStartFlags, nullptr,
                        nullptr, &si, &pi)) {
    return std::nullopt;
  }
  OwnedHandle thread(pi.hThread);
  return reinterpret_cast<ProcHandle>(pi.hProcess);
}

std::uint32_t Win32Processes::Wait(ProcHandle process, std::uint32_t milliseconds) {
  return ::WaitForSingleObject(AsHandle(process), milliseconds);
}

std::uint32_t Win32Processes::ExitCode(ProcHandle process) {
  DWORD code = 0;
  if (!::GetExitCodeProcess(AsHandle(process), &code)) return 0;
  return code;
}

void Win32Processes::Close(ProcHandle process) {
  if (process == 0) return;
  KeepLastError keep;
  ::CloseHandle(AsHandle(process));
}

CaptureResult Win32Processes::RunCaptured(const std::string& commandLine,
                                          const std::function<void()>& pump) {
  CaptureResult result;
  SECURITY_ATTRIBUTES sa{};
  sa.nLength = sizeof(sa);
  sa.lpSecurityDescriptor = nullptr;
  sa.bInheritHandle = TRUE;
  OwnedHandle readEnd, writeEnd;
  if (!::CreatePipe(readEnd.Out(), writeEnd.Out(), &sa, 0)) {
    result.error = ::GetLastError();
    return result;
  }

  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = kCaptureStartup;
  si.wShowWindow = SW_HIDE;
  si.hStdOutput = writeEnd.Get();
  si.hStdError = writeEnd.Get();
  si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::wstring cmd = CommandBuffer(commandLine);
  if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE, nullptr,
                        nullptr, &si, &pi)) {
    result.error = ::GetLastError();
    return result;  // both pipe ends close on the way out
  }
  OwnedHandle process(pi.hProcess);
  OwnedHandle thread(pi.hThread);
  result.ok = true;

  // Reading while the child runs keeps a full pipe from stalling it. While
  // data keeps arriving the next wait is short, so that a child writing a lot
  // is not held to one pipe buffer per interval; messages are dispatched after
  // every wait, so at least once every interval.
  if (pump) pump();
  bool busy = false;
  for (;;) {
    DWORD w = ::WaitForSingleObject(process.Get(), busy ? 1 : kPumpIntervalMs);
    std::size_t before = result.output.size();
    ReadAvailable(readEnd.Get(), result.output);
    busy = result.output.size() != before;
    if (pump) pump();
    if (w != WAIT_TIMEOUT) break;  // ended, or the wait itself failed
  }
  // What was written just before the end. A child's child may still hold
  // the write end; what it writes later is not waited for.
  for (std::size_t before = ~std::size_t{0}; before != result.output.size();) {
    before = result.output.size();
    ReadAvailable(readEnd.Get(), result.output);
  }

  DWORD code = 0;
  ::GetExitCodeProcess(process.Get(), &code);
  result.exitCode = code;
  return result;
}

const Win32Processes::ToolHelp& Win32Processes::Tools() {
  if (!toolsLooked_) {
    toolsLooked_ = true;
    tools_.snapshot = reinterpret_cast<void*>(SystemProc("CreateToolhelp32Snapshot", L"kernel32.dll"));
    tools_.first = reinterpret_cast<void*>(SystemProc("Process32FirstW", L"kernel32.dll"));
    tools_.next = reinterpret_cast<void*>(SystemProc("Process32NextW", L"kernel32.dll"));
  }
  return tools_;
}

std::vector<ProcessEntry> Win32Processes::Snapshot() {
  std::vector<ProcessEntry> out;
  const ToolHelp& t = Tools();
  if (t.snapshot == nullptr || t.first == nullptr || t.next == nullptr) return out;
  auto create = reinterpret_cast<CreateSnapshotFn>(t.snapshot);
  auto first = reinterpret_cast<ProcessWalkFn>(t.first);
  auto next = reinterpret_cast<ProcessWalkFn>(t.next);

  OwnedHandle snap(create(TH32CS_SNAPPROCESS, 0));
  if (!snap.Valid()) return out;
  PROCESSENTRY32W pe{};
  pe.dwSize = sizeof(pe);
  for (BOOL more = first(snap.Get(), &pe); more; more = next(snap.Get(), &pe)) {
    out.push_back({pe.th32ProcessID, Narrow(pe.szExeFile)});
    pe.dwSize = sizeof(pe);
  }
  return out;
}

bool Win32Processes::Terminate(std::uint32_t pid, std::uint32_t exitCode) {
  OwnedHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  if (!process.Valid()) return false;
  return ::TerminateProcess(process.Get(), exitCode) != 0;
}

}  // namespace lum::win32
