#include "tools/bootstore/win32/store_files_win.h"

#include <windows.h>

#include "platform/text.h"

namespace lum {
namespace {

std::wstring W(const std::string& s) {
  std::u16string u = Utf8ToUtf16(s);
  return std::wstring(u.begin(), u.end());
}

// Creates the folders above a file, from the top down; existing ones are fine.
void CreateParents(const std::wstring& path) {
  std::size_t start = 0;
  if (path.size() >= 3 && path[1] == L':') start = 3;
  else if (path.rfind(L"\\\\", 0) == 0) {
    // \\server\share\...: the share itself cannot be made.
    std::size_t server = path.find(L'\\', 2);
    start = server == std::wstring::npos ? path.size() : path.find(L'\\', server + 1);
    if (start == std::wstring::npos) return;
    ++start;
  }
  for (std::size_t p = path.find_first_of(L"\\/", start); p != std::wstring::npos;
       p = path.find_first_of(L"\\/", p + 1))
    CreateDirectoryW(path.substr(0, p).c_str(), nullptr);
}

}  // namespace

bool WinStoreFiles::Exists(const std::string& path) {
  DWORD a = GetFileAttributesW(W(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> WinStoreFiles::Read(const std::string& path, std::size_t maxBytes) {
  HANDLE h = CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  std::optional<std::string> out;
  if (GetFileSizeEx(h, &size) && std::uint64_t(size.QuadPart) <= maxBytes) {
    std::string data(std::size_t(size.QuadPart), '\0');
    DWORD got = 0;
    if (data.empty() || (ReadFile(h, data.data(), DWORD(data.size()), &got, nullptr) && got == data.size()))
      out = std::move(data);
  } else if (GetLastError() == ERROR_SUCCESS) {
    SetLastError(ERROR_FILE_TOO_LARGE);
  }
  DWORD keep = GetLastError();
  CloseHandle(h);
  SetLastError(keep);
  return out;
}

bool WinStoreFiles::Replace(const std::string& path, const std::string& data) {
  std::wstring target = W(path), temp = target + L".~new";
  CreateParents(target);
  HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = WriteFile(h, data.data(), DWORD(data.size()), &put, nullptr) && put == data.size();
  ok = CloseHandle(h) && ok;
  if (ok) {
    DWORD a = GetFileAttributesW(target.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesW(target.c_str(), a & ~DWORD(FILE_ATTRIBUTE_READONLY));
    ok = MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  if (!ok) {
    DWORD keep = GetLastError();
    DeleteFileW(temp.c_str());
    SetLastError(keep);
  }
  return ok;
}

std::string WinStoreFiles::Env(const std::string& name) {
  std::wstring n = W(name);
  DWORD size = GetEnvironmentVariableW(n.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring v(size, L'\0');
  DWORD got = GetEnvironmentVariableW(n.c_str(), v.data(), size);
  v.resize(got);
  return Utf16ToUtf8(std::u16string(v.begin(), v.end()));
}

std::string WinStoreFiles::LastErrorText() {
  DWORD code = GetLastError();
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out;
  if (n && text) out = TrimControls(Utf16ToUtf8(std::u16string(text, text + n)));
  if (text) LocalFree(text);
  return out + (out.empty() ? "" : " ") + "(error " + std::to_string(code) + ")";
}

}  // namespace lum
