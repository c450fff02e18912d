// The engine's files on Windows: positional writes through OVERLAPPED offsets
// on one handle, FlushFileBuffers before the state file names the bytes, and
// MoveFileExW to replace files.
#include <windows.h>

#include "engine/files.h"
#include "engine/win32/wide_text.h"

namespace lum::engine {
namespace {

using win32::Wide;

class WinDataFile : public IDataFile {
 public:
  explicit WinDataFile(HANDLE h) : h_(h) {}
  ~WinDataFile() override { CloseHandle(h_); }

  bool WriteAt(std::int64_t offset, const void* data, std::size_t size) override {
    return Transfer(offset, const_cast<void*>(data), size, [this](void* p, DWORD n, DWORD* done, OVERLAPPED* ov) {
      return WriteFile(h_, p, n, done, ov) != 0;
    });
  }
  bool ReadAt(std::int64_t offset, void* data, std::size_t size) override {
    return Transfer(offset, data, size, [this](void* p, DWORD n, DWORD* done, OVERLAPPED* ov) {
      return ReadFile(h_, p, n, done, ov) != 0;
    });
  }
  bool Truncate(std::int64_t size) override {
    LARGE_INTEGER li;
    li.QuadPart = size;
    return SetFilePointerEx(h_, li, nullptr, FILE_BEGIN) && SetEndOfFile(h_);
  }
  std::optional<std::int64_t> Size() override {
    LARGE_INTEGER li;
    if (!GetFileSizeEx(h_, &li)) return std::nullopt;
    return li.QuadPart;
  }
  bool Sync() override { return FlushFileBuffers(h_) != 0; }

 private:
  // Reads or writes the whole range at its position, in calls of at most
  // 1 GiB, each carrying its offset in an OVERLAPPED.
  template <typename Call>
  static bool Transfer(std::int64_t offset, void* data, std::size_t size, Call call) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
      DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
      OVERLAPPED ov{};
      ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
      ov.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
      DWORD done = 0;
      if (!call(p, chunk, &done, &ov) || done == 0) return false;
      p += done, size -= done, offset += done;
    }
    return true;
  }

  HANDLE h_;
};

HANDLE OpenForWrite(const std::string& path, DWORD disposition) {
  return CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class WinFiles : public IEngineFiles {
 public:
  std::unique_ptr<IDataFile> OpenData(const std::string& path, bool truncate) override {
    HANDLE h = OpenForWrite(path, truncate ? CREATE_ALWAYS : OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WinDataFile>(h);
  }

  std::optional<std::string> ReadSmall(const std::string& path) override {
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string s;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0 && s.size() < (1u << 24)) s.append(buf, n);
    CloseHandle(h);
    return s;
  }

  bool WriteSmallAtomic(const std::string& path, const std::string& data) override {
    std::string tmp = path + ".new";
    HANDLE h = OpenForWrite(tmp, CREATE_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok;
    {
      WinDataFile f(h);
      ok = f.WriteAt(0, data.data(), data.size()) && f.Sync();
    }
    return ok && Rename(tmp, path);
  }

  bool Rename(const std::string& from, const std::string& to) override {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  bool Remove(const std::string& path) override { return DeleteFileW(Wide(path).c_str()) != 0; }
  bool Exists(const std::string& path) override {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
};

}  // namespace

std::unique_ptr<IEngineFiles> MakeNativeFiles() { return std::make_unique<WinFiles>(); }

}  // namespace lum::engine
