#include "lumora_process.h"

namespace lumtest {

std::wstring LumoraExePath() {
  wchar_t buf[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring self(buf, n);
  std::wstring dir = self.substr(0, self.find_last_of(L"\\/"));
  std::wstring tree = dir.substr(0, dir.find_last_of(L"\\/"));
  return tree + L"\\bin\\Lumora.exe";
}

std::wstring RunLogPath() {
  wchar_t buf[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"windir", buf, MAX_PATH);
  return std::wstring(buf, n) + L"\\temp\\OrvekRun.LOG";
}

std::vector<unsigned char> ReadAll(const std::wstring& path) {
  std::vector<unsigned char> out;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return out;
  unsigned char chunk[65536];
  DWORD got = 0;
  while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) out.insert(out.end(), chunk, chunk + got);
  CloseHandle(h);
  return out;
}

long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return 0;
  return (static_cast<long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

namespace {
// The current environment block with some variables replaced or added.
std::wstring EnvironmentWith(const std::vector<std::wstring>& extra) {
  std::vector<std::wstring> vars;
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* p = block; *p; p += lstrlenW(p) + 1) vars.emplace_back(p);
  FreeEnvironmentStringsW(block);
  for (const auto& e : extra) {
    std::wstring name = e.substr(0, e.find(L'=') + 1);
    for (auto it = vars.begin(); it != vars.end();)
      it = (_wcsnicmp(it->c_str(), name.c_str(), name.size()) == 0) ? vars.erase(it) : it + 1;
    vars.push_back(e);
  }
  std::wstring out;
  for (const auto& v : vars) out += v + L'\0';
  out += L'\0';
  return out;
}
}  // namespace

Started StartLumora(const std::vector<std::wstring>& extraEnv) {
  Started s;
  std::wstring cmd = L"\"" + LumoraExePath() + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring env = EnvironmentWith(extraEnv);
  s.ok = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        extraEnv.empty() ? nullptr : &env[0], nullptr, &si, &s.pi) != 0;
  return s;
}

namespace {
struct DialogArgs {
  DWORD pid;
  HWND found;
};
BOOL CALLBACK DialogProc(HWND hwnd, LPARAM lp) {
  auto* a = reinterpret_cast<DialogArgs*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[64];
  if (pid == a->pid && GetClassNameW(hwnd, cls, 64) && lstrcmpW(cls, L"#32770") == 0) {
    a->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
BOOL CALLBACK TextProc(HWND child, LPARAM lp) {
  wchar_t cls[64], text[512];
  if (GetClassNameW(child, cls, 64) && lstrcmpiW(cls, L"Static") == 0 && GetWindowTextW(child, text, 512) > 0)
    *reinterpret_cast<std::wstring*>(lp) += text;
  return TRUE;
}
}  // namespace

HWND FindDialog(DWORD pid) {
  DialogArgs a{pid, nullptr};
  EnumWindows(DialogProc, reinterpret_cast<LPARAM>(&a));
  return a.found;
}

std::wstring DialogText(HWND dialog) {
  std::wstring text;
  EnumChildWindows(dialog, TextProc, reinterpret_cast<LPARAM>(&text));
  return text;
}

namespace {
struct FindArgs {
  DWORD pid;
  bool visible;
  HWND found;
};
BOOL CALLBACK FindProc(HWND hwnd, LPARAM lp) {
  auto* a = reinterpret_cast<FindArgs*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[64];
  if (pid == a->pid && GetClassNameW(hwnd, cls, 64) && lstrcmpW(cls, L"Tvorel") == 0 &&
      (!a->visible || IsWindowVisible(hwnd))) {
    a->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindMainWindow(DWORD pid, bool mustBeVisible) {
  FindArgs a{pid, mustBeVisible, nullptr};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&a));
  return a.found;
}

HWND WaitForMainWindow(DWORD pid, bool mustBeVisible, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
    if (HWND h = FindMainWindow(pid, mustBeVisible)) return h;
    Sleep(100);
  }
  return nullptr;
}

void CloseLumora(Started& s) {
  if (!s.ok) return;
  if (HWND h = FindMainWindow(s.pi.dwProcessId, false)) PostMessageW(h, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(s.pi.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(s.pi.hProcess, 1);
  CloseHandle(s.pi.hThread);
  CloseHandle(s.pi.hProcess);
  s.ok = false;
}

}  // namespace lumtest
