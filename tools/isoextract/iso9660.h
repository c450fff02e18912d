#pragma once
// A reader for ISO 9660 images: volume descriptors, the primary directory tree
// (with Rock Ridge names when present) and the Joliet tree. It finds one file
// by path and streams its data out. Every length and position taken from the
// image is checked against the image before use, so a damaged or hostile image
// ends in an error, never in a read outside the image or an endless walk.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/isoextract/byte_io.h"

namespace lum {

enum class IsoError {
  None,
  ReadFailed,          // the image could not be read where it had to be
  NotIso,              // no volume descriptor at sector 16
  BadVolumeDescriptor, // descriptor set without a usable primary descriptor
  BadBlockSize,        // logical block size other than 2048
  BadRecord,           // a directory record whose lengths do not fit
  ExtentOutsideImage,  // data or a directory placed past the end of the image
  DirectoryLoop,       // a directory that contains one of its own ancestors
  PathTooDeep,
  TooManyExtents,
  Unsupported,         // interleaved files
  BadPath,             // an empty path or one with "." or ".." in it
  NotFound,
  NotADirectory,
  NotAFile,
  WriteFailed,
};

const char* IsoErrorText(IsoError e);

struct IsoExtent {
  std::uint64_t offset = 0;  // bytes from the start of the image
  std::uint64_t length = 0;
};

struct IsoEntry {
  std::string name;  // the name as the image spells it (long name when there is one)
  bool isDir = false;
  bool joliet = false;  // found in the Joliet tree
  std::uint64_t size = 0;
  std::vector<IsoExtent> extents;
};

class IsoImage {
 public:
  static constexpr std::uint32_t kSectorSize = 2048;
  static constexpr std::size_t kMaxDepth = 64;
  static constexpr std::size_t kMaxExtents = 4096;
  static constexpr int kMaxDescriptors = 64;

  explicit IsoImage(IReadAt& image) : image_(image) {}

  IsoError Open();
  bool HasJoliet() const { return joliet_.present; }
  // The root directory of the tree Find searches first.
  const IsoEntry& Root() const { return joliet_.present ? joliet_.root : primary_.root; }

  // Finds a file or directory by path ("/BOOT/X.WIM" or "BOOT\X.WIM"); names
  // compare without the ";1" version and without regard to ASCII letter case.
  // The Joliet tree is searched first, then the primary tree.
  IsoError Find(std::string_view path, IsoEntry& out);

  // The entries of a directory found by Find ("." and ".." left out), at most
  // maxEntries of them.
  IsoError List(const IsoEntry& dir, std::vector<IsoEntry>& out, std::size_t maxEntries);

  // Writes the file's data to the sink in pieces of at most chunkSize bytes.
  IsoError Copy(const IsoEntry& file, IWriteSink& sink, std::size_t chunkSize = 1 << 20);

 private:
  struct Tree {
    bool present = false;
    bool joliet = false;
    IsoEntry root;
  };

  IsoError FindIn(const Tree& tree, const std::vector<std::string>& parts, IsoEntry& out);
  IsoError ReadRoot(const std::uint8_t* descriptor, bool joliet, Tree& tree);

  IReadAt& image_;
  Tree primary_;
  Tree joliet_;
};

}  // namespace lum
