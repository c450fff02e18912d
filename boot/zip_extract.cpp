#include "boot/zip_extract.h"

#include <cstddef>
#include <utility>
#include <vector>

#include "boot/file_mask.h"
#include "boot/zip_archive.h"
#include "platform/text.h"

namespace lum {
namespace {

constexpr std::size_t kWriteChunk = 1024 * 1024;

bool IsDeviceName(const std::string& name) {
  std::string stem = AsciiUpper(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* d : kDevices)
    if (stem == d) return true;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
         stem[3] >= '1' && stem[3] <= '9';
}

// Buffers the entry's bytes and writes them to the file in large pieces.
class ChunkedFileWriter {
 public:
  ChunkedFileWriter(IFiles& files, std::string path) : files_(files), path_(std::move(path)) {
    if (!files_.Write(path_, {})) throw ZipError("cannot create \"" + path_ + "\"");
  }
  void Add(const std::uint8_t* data, std::size_t n) {
    buffer_.insert(buffer_.end(), data, data + n);
    if (buffer_.size() >= kWriteChunk) Flush();
  }
  void Flush() {
    if (buffer_.empty()) return;
    if (!files_.Append(path_, buffer_)) throw ZipError("cannot write \"" + path_ + "\"");
    buffer_.clear();
  }

 private:
  IFiles& files_;
  std::string path_;
  Bytes buffer_;
};

struct Selected {
  const ZipEntry* entry;
  std::string target;
  std::string temp;
};

void DeleteAll(IFiles& files, const std::vector<Selected>& picked, std::size_t from) {
  for (std::size_t i = from; i < picked.size(); ++i)
    if (!picked[i].temp.empty()) files.Delete(picked[i].temp);
}

// Names for the temporary files in the target folder. A name is never one of
// the targets (an archive may hold an entry called "~lz1.tmp", and moving
// another entry's file into place must not overwrite it), nor a file or
// folder already in the folder (which would be lost).
class TempNamer {
 public:
  TempNamer(IFiles& files, std::string base, const std::vector<Selected>& picked)
      : files_(files), base_(std::move(base)) {
    for (const Selected& s : picked) taken_.push_back(AsciiUpper(s.target));
  }
  std::string Next() {
    for (;;) {
      std::string name = base_ + "~lz" + std::to_string(counter_++) + ".tmp";
      const std::string key = AsciiUpper(name);
      bool clash = false;
      for (const std::string& t : taken_) clash = clash || t == key;
      if (clash || files_.FileExists(name) || files_.DirExists(name)) continue;
      taken_.push_back(key);
      return name;
    }
  }

 private:
  IFiles& files_;
  std::string base_;
  std::vector<std::string> taken_;
  unsigned counter_ = 0;
};

}  // namespace

std::string ZipEntryTargetName(const std::string& storedName) {
  std::string name = ExtractFileName(storedName);
  auto refuse = [&](const char* why) -> std::string {
    throw ZipError("zip entry \"" + storedName + "\": " + why);
  };
  if (name.empty() || name == "." || name == "..") return refuse("no file name to write");
  for (unsigned char c : name)
    if (c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*')
      return refuse("file name has characters a Windows file name cannot have");
  if (name.back() == '.' || name.back() == ' ') return refuse("file name ends in a dot or blank");
  if (IsDeviceName(name)) return refuse("file name is a device name");
  return name;
}

bool ExtractZipFiles(IFiles& files, ICodePage& codepage, const std::string& archivePath,
                     const std::string& password, const std::string& baseDir,
                     const std::string& mask) {
  std::optional<Bytes> data = files.Read(archivePath);
  if (!data) throw ZipError("cannot open zip archive \"" + archivePath + "\"");
  ZipArchive zip(std::move(*data));
  Bytes key = codepage.ToAnsi(password);

  std::string base = IncludeTrailingBackslash(baseDir);
  std::vector<Selected> picked;
  for (const ZipEntry& e : zip.Entries()) {
    if (e.IsDirectory() || !MatchesFileMask(e.name, mask)) continue;
    picked.push_back({&e, base + ZipEntryTargetName(e.name), {}});
  }
  if (picked.empty()) return true;
  if (!ForceDirectories(files, base)) throw ZipError("cannot create folder \"" + base + "\"");

  std::size_t i = 0;
  TempNamer temps(files, base, picked);
  try {
    for (; i < picked.size(); ++i) {
      picked[i].temp = temps.Next();
      ChunkedFileWriter out(files, picked[i].temp);
      zip.Read(*picked[i].entry, key,
               [&](const std::uint8_t* b, std::size_t n) { out.Add(b, n); });
      out.Flush();
    }
  } catch (...) {
    DeleteAll(files, picked, 0);
    throw;
  }
  for (i = 0; i < picked.size(); ++i) {
    if (!files.Move(picked[i].temp, picked[i].target)) {
      DeleteAll(files, picked, i);
      throw ZipError("cannot write \"" + picked[i].target + "\"");
    }
  }
  return true;
}

}  // namespace lum
