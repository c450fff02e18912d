#pragma once
// A reader for zip archives held in memory: the end record, the central
// directory and the local headers, stored and deflated entries, traditional
// PKWARE encryption and the CRC-32 of every entry. Everything it does not
// understand (Zip64, split archives, other methods, strong encryption) it
// refuses with a ZipError instead of guessing.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "boot/zip_error.h"
#include "platform/types.h"

namespace lum {

struct ZipEntry {
  std::string name;  // the stored name, as UTF-8
  Bytes rawName;     // the stored name as it is in the archive
  std::uint16_t flags = 0, method = 0, modTime = 0, modDate = 0;
  std::uint32_t crc = 0, compressedSize = 0, size = 0;
  std::uint32_t localHeaderOffset = 0;

  bool Encrypted() const { return (flags & 0x0001) != 0; }
  bool HasDataDescriptor() const { return (flags & 0x0008) != 0; }
  bool IsDirectory() const;
};

// Receives the plain bytes of an entry piece by piece.
using ZipSink = std::function<void(const std::uint8_t* data, std::size_t length)>;

class ZipArchive {
 public:
  // Parses the end record and the central directory; raises ZipError when
  // the archive is truncated, damaged or of a kind this reader refuses.
  explicit ZipArchive(Bytes data);

  const std::vector<ZipEntry>& Entries() const { return entries_; }

  // Checks the entry's local header against the central one, decrypts and
  // inflates it and hands the bytes to sink. Never hands over more than the
  // declared size; raises ZipError on a wrong password, damaged data or a
  // CRC mismatch (the sink may have seen part of the data by then).
  void Read(const ZipEntry& entry, const Bytes& password, const ZipSink& sink) const;

 private:
  void ParseDirectory();
  std::size_t CheckLocalHeader(const ZipEntry& entry) const;  // offset of the entry's data
  void CheckDataDescriptor(const ZipEntry& entry, std::size_t dataEnd) const;

  Bytes data_;
  std::size_t directoryOffset_ = 0;  // where the entries' data must end
  std::vector<ZipEntry> entries_;
};

}  // namespace lum
