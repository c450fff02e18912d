#pragma once
// The engine's file operations: a data file written at positions from several
// threads, and small whole-file reads and writes for the state file. Paths are
// UTF-8; on Windows they are Windows paths.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace lum::engine {

class IDataFile {
 public:
  virtual ~IDataFile() = default;
  // Safe to call from several threads at once for disjoint ranges.
  virtual bool WriteAt(std::int64_t offset, const void* data, std::size_t size) = 0;
  // Reads exactly size bytes; false when they are not all there.
  virtual bool ReadAt(std::int64_t offset, void* data, std::size_t size) = 0;
  virtual bool Truncate(std::int64_t size) = 0;
  virtual std::optional<std::int64_t> Size() = 0;
  // Pushes written data to the disk.
  virtual bool Sync() = 0;
};

class IEngineFiles {
 public:
  virtual ~IEngineFiles() = default;
  // Opens or creates the file for writing; `truncate` empties it first.
  virtual std::unique_ptr<IDataFile> OpenData(const std::string& path, bool truncate) = 0;
  virtual std::optional<std::string> ReadSmall(const std::string& path) = 0;
  // Writes a file so that a reader sees either the old or the new content.
  virtual bool WriteSmallAtomic(const std::string& path, const std::string& data) = 0;
  virtual bool Rename(const std::string& from, const std::string& to) = 0;  // replaces `to`
  virtual bool Remove(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
};

// The files of the machine the engine runs on.
std::unique_ptr<IEngineFiles> MakeNativeFiles();

}  // namespace lum::engine
