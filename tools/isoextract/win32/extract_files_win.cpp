#include "tools/isoextract/win32/extract_files_win.h"

#include <windows.h>

#include <cwchar>

#include "platform/text.h"

namespace lum {
namespace {

std::wstring W(const std::string& s) {
  std::u16string u = Utf8ToUtf16(s);
  return std::wstring(u.begin(), u.end());
}

class WinImage final : public IReadAt {
 public:
  WinImage(HANDLE h, std::uint64_t size) : h_(h), size_(size) {}
  ~WinImage() override { CloseHandle(h_); }
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    auto* p = static_cast<char*>(buffer);
    while (n > 0) {
      OVERLAPPED ov{};
      ov.Offset = DWORD(offset & 0xFFFFFFFFu);
      ov.OffsetHigh = DWORD(offset >> 32);
      DWORD want = n > (1u << 30) ? (1u << 30) : DWORD(n);
      DWORD got = 0;
      if (!ReadFile(h_, p, want, &got, &ov) || got == 0) return false;
      p += got;
      n -= got;
      offset += got;
    }
    return true;
  }

 private:
  HANDLE h_;
  std::uint64_t size_;
};

class WinOutput final : public IOutputFile {
 public:
  WinOutput(HANDLE h, std::wstring temp, std::wstring target)
      : h_(h), temp_(std::move(temp)), target_(std::move(target)) {}
  ~WinOutput() override {
    DWORD keep = GetLastError();
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    if (!committed_) DeleteFileW(temp_.c_str());
    SetLastError(keep);
  }
  bool Write(const void* data, std::size_t n) override {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
      DWORD want = n > (1u << 30) ? (1u << 30) : DWORD(n);
      DWORD put = 0;
      if (!WriteFile(h_, p, want, &put, nullptr) || put == 0) return false;
      p += put;
      n -= put;
    }
    return true;
  }
  bool Commit() override {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(h)) return false;
    // A read-only older copy would refuse to be replaced.
    DWORD attrs = GetFileAttributesW(target_.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesW(target_.c_str(), attrs & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (!MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    committed_ = true;
    return true;
  }

 private:
  HANDLE h_;
  std::wstring temp_, target_;
  bool committed_ = false;
};

// Volume serial number and file index: the identity of an existing file.
bool FileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok;
}

std::wstring FullPath(const std::wstring& p) {
  wchar_t buf[1024];
  DWORD n = GetFullPathNameW(p.c_str(), 1024, buf, nullptr);
  return n > 0 && n < 1024 ? std::wstring(buf, n) : p;
}

}  // namespace

std::string WinErrorText(unsigned long code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out;
  if (n && text) out = TrimControls(Utf16ToUtf8(std::u16string(text, text + n)));
  if (text) LocalFree(text);
  return out + (out.empty() ? "" : " ") + "(error " + std::to_string(code) + ")";
}

std::unique_ptr<IReadAt> WinExtractFiles::OpenImage(const std::string& path) {
  HANDLE h = CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size)) {
    DWORD keep = GetLastError();
    CloseHandle(h);
    SetLastError(keep);
    return nullptr;
  }
  return std::make_unique<WinImage>(h, std::uint64_t(size.QuadPart));
}

bool WinExtractFiles::IsDirectory(const std::string& path) {
  DWORD a = GetFileAttributesW(W(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<IOutputFile> WinExtractFiles::CreateOutput(const std::string& target) {
  std::wstring t = W(target), temp = t + L".~part";
  HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<WinOutput>(h, temp, t);
}

bool WinExtractFiles::Remove(const std::string& path) {
  DWORD keep = GetLastError();
  std::wstring p = W(path);
  bool ok = DeleteFileW(p.c_str()) != 0;
  if (!ok && GetLastError() == ERROR_ACCESS_DENIED) {
    SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
    ok = DeleteFileW(p.c_str()) != 0;
  }
  SetLastError(keep);
  return ok;
}

std::string WinExtractFiles::JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty() || dir.back() == '\\' || dir.back() == '/') return dir + name;
  return dir + "\\" + name;
}

bool WinExtractFiles::SamePath(const std::string& a, const std::string& b) {
  DWORD keep = GetLastError();
  std::wstring wa = W(a), wb = W(b);
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  bool same;
  if (FileIdentity(wa, ia) && FileIdentity(wb, ib))
    same = ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
  else
    same = _wcsicmp(FullPath(wa).c_str(), FullPath(wb).c_str()) == 0;
  SetLastError(keep);
  return same;
}

std::string WinExtractFiles::LastErrorText() { return WinErrorText(GetLastError()); }

}  // namespace lum
