#include "platform/win32/files_win.h"

#include "platform/win32/windows_api.h"
#include <shellapi.h>

#include <algorithm>
#include <limits>

#include "platform/win32/wide.h"

namespace lum::win32 {
namespace {

constexpr UINT kDeleteFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
static_assert(kDeleteFlags == 0x414);
static_assert(FO_DELETE == 3);

// Reads up to `limit` bytes from the start of an open file.
std::optional<Bytes> ReadOpen(HANDLE file, std::uint64_t limit) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size)) return std::nullopt;
  std::uint64_t want = std::min<std::uint64_t>(static_cast<std::uint64_t>(size.QuadPart), limit);
  if (want > std::numeric_limits<std::size_t>::max()) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return std::nullopt;
  }
  Bytes data(static_cast<std::size_t>(want));
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 24));
    DWORD got = 0;
    if (!::ReadFile(file, data.data() + done, chunk, &got, nullptr)) return std::nullopt;
    if (got == 0) break;  // the file shrank while we read it
    done += got;
  }
  data.resize(done);
  return data;
}

std::optional<Bytes> ReadPath(const std::string& path, std::uint64_t limit) {
  OwnedHandle file(::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return std::nullopt;
  return ReadOpen(file.Get(), limit);
}

bool WriteAll(HANDLE file, const Bytes& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 24));
    DWORD put = 0;
    if (!::WriteFile(file, data.data() + done, chunk, &put, nullptr)) return false;
    if (put == 0) {
      ::SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    done += put;
  }
  return true;
}

// Writes the bytes to a file opened with `disposition`, appending when asked.
// A failing close counts as a failed write: the data may not be on disk.
bool WritePath(const std::string& path, DWORD disposition, bool append, const Bytes& data) {
  HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  if (append) {
    LARGE_INTEGER zero{};
    ok = ::SetFilePointerEx(file, zero, nullptr, FILE_END) != 0;
  }
  ok = ok && WriteAll(file, data);
  if (!ok) {
    KeepLastError keep;
    ::CloseHandle(file);
    return false;
  }
  return ::CloseHandle(file) != 0;
}

}  // namespace

bool Win32Files::FileExists(const std::string& path) {
  DWORD a = ::GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Files::DirExists(const std::string& path) {
  DWORD a = ::GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<Bytes> Win32Files::Read(const std::string& path) {
  return ReadPath(path, std::numeric_limits<std::uint64_t>::max());
}

std::optional<Bytes> Win32Files::ReadPrefix(const std::string& path, std::size_t n) {
  return ReadPath(path, n);
}

std::optional<std::uint64_t> Win32Files::Size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &info)) return std::nullopt;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    ::SetLastError(ERROR_ACCESS_DENIED);  // what opening a folder as a file answers
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

bool Win32Files::Write(const std::string& path, const Bytes& data) {
  return WritePath(path, CREATE_ALWAYS, false, data);
}

bool Win32Files::Append(const std::string& path, const Bytes& data) {
  return WritePath(path, OPEN_ALWAYS, true, data);
}

bool Win32Files::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  return ::CopyFileW(Wide(from).c_str(), Wide(to).c_str(), failIfExists ? TRUE : FALSE) != 0;
}

bool Win32Files::Move(const std::string& from, const std::string& to) {
  return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

bool Win32Files::Delete(const std::string& path) {
  return ::DeleteFileW(Wide(path).c_str()) != 0;
}

bool Win32Files::DeleteTree(const std::string& path) {
  // The source list is a sequence of NUL-terminated names ended by one more NUL.
  std::wstring from = Wide(path);
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.hwnd = nullptr;
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();  // the string's own NUL is the second one
  op.pTo = nullptr;
  op.fFlags = kDeleteFlags;
  int rc = ::SHFileOperationW(&op);
  // The shell returns its own code instead of setting the last error; keep it
  // there so that the caller can log it like any other failure.
  if (rc != 0) ::SetLastError(static_cast<DWORD>(rc));
  return rc == 0;
}

bool Win32Files::CreateDir(const std::string& path) {
  return ::CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
}

bool Win32Files::RemoveDir(const std::string& path) {
  return ::RemoveDirectoryW(Wide(path).c_str()) != 0;
}

std::uint32_t Win32Files::GetAttributes(const std::string& path) {
  return ::GetFileAttributesW(Wide(path).c_str());
}

bool Win32Files::SetAttributes(const std::string& path, std::uint32_t attributes) {
  return ::SetFileAttributesW(Wide(path).c_str(), attributes) != 0;
}

std::vector<DirEntry> Win32Files::List(const std::string& dir) {
  std::vector<DirEntry> out;
  std::string pattern = dir;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAW fd{};
  HANDLE find = ::FindFirstFileW(Wide(pattern).c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return out;
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    DirEntry e;
    e.name = Narrow(name);
    e.attributes = fd.dwFileAttributes;
    e.isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.size = (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    out.push_back(std::move(e));
  } while (::FindNextFileW(find, &fd));
  KeepLastError keep;
  ::FindClose(find);
  return out;
}

}  // namespace lum::win32
