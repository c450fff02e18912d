#include "tools/isoextract/iso9660.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace lum {
namespace {

constexpr std::uint8_t kFlagDirectory = 0x02, kFlagAssociated = 0x04,
                       kFlagMultiExtent = 0x80;
constexpr std::size_t kMinRecord = 33 + 1;

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

// A name without its ";N" version and without the dot that ISO 9660 puts
// after a name that has no extension ("README.;1").
std::string StripVersion(std::string name) {
  if (std::size_t semi = name.rfind(';'); semi != std::string::npos) name.resize(semi);
  if (name.size() > 1 && name.back() == '.') name.pop_back();
  return name;
}

std::string DecodeUcs2Be(const std::uint8_t* p, std::size_t n) {
  std::u16string w;
  for (std::size_t i = 0; i + 1 < n; i += 2) w.push_back(char16_t(p[i] << 8 | p[i + 1]));
  return Utf16ToUtf8(w);
}

// The Rock Ridge name (NM entries of the system use area), empty when none.
std::string RockRidgeName(const std::uint8_t* su, std::size_t n) {
  std::string name;
  std::size_t i = 0;
  while (i + 4 <= n) {
    std::size_t len = su[i + 2];
    if (len < 4 || len > n - i) break;  // a damaged area ends the search, not the read
    if (su[i] == 'N' && su[i + 1] == 'M' && len >= 5) {
      std::uint8_t flags = su[i + 4];
      if (flags & 0x06) return {};  // names "." and ".."
      name.append(reinterpret_cast<const char*>(su + i + 5), len - 5);
      if (!(flags & 0x01)) return name;
    } else if (su[i] == 'S' && su[i + 1] == 'T') {
      break;
    }
    i += len;
  }
  return name;
}

bool IsJolietEscape(const std::uint8_t* esc) {
  return esc[0] == '%' && esc[1] == '/' && (esc[2] == '@' || esc[2] == 'C' || esc[2] == 'E');
}

bool ExtentInImage(const IsoExtent& e, std::uint64_t imageSize) {
  if (e.length == 0) return true;
  return e.offset <= imageSize && e.length <= imageSize - e.offset;
}

}  // namespace

const char* IsoErrorText(IsoError e) {
  switch (e) {
    case IsoError::None: return "no error";
    case IsoError::ReadFailed: return "the image could not be read";
    case IsoError::NotIso: return "not an ISO 9660 image";
    case IsoError::BadVolumeDescriptor: return "no usable volume descriptor";
    case IsoError::BadBlockSize: return "unsupported logical block size";
    case IsoError::BadRecord: return "damaged directory record";
    case IsoError::ExtentOutsideImage: return "data lies past the end of the image";
    case IsoError::DirectoryLoop: return "directory loop";
    case IsoError::PathTooDeep: return "path too deep";
    case IsoError::TooManyExtents: return "file split into too many extents";
    case IsoError::Unsupported: return "interleaved files are not supported";
    case IsoError::BadPath: return "invalid path";
    case IsoError::NotFound: return "file not found in the image";
    case IsoError::NotADirectory: return "a path element is not a directory";
    case IsoError::NotAFile: return "the path names a directory";
    case IsoError::WriteFailed: return "the output could not be written";
  }
  return "unknown error";
}

namespace {

// One directory record as read from the image.
struct RawRecord {
  std::uint32_t lba = 0, dataLength = 0;
  std::uint8_t flags = 0, xar = 0, unitSize = 0, gap = 0;
  bool self = false, parent = false;
  std::string rawName;   // the identifier bytes as stored
  std::string isoName;   // decoded, without version
  std::string longName;  // Rock Ridge name, empty when none
};

// Walks the records of one directory, one logical sector at a time; records
// never cross a sector, and a zero length byte pads to the next sector.
class DirCursor {
 public:
  DirCursor(IReadAt& image, const IsoExtent& dir, bool joliet)
      : image_(image), dir_(dir), joliet_(joliet) {}

  // False at the end of the directory or on damage (error then set).
  bool Next(RawRecord& r, IsoError& error) {
    while (true) {
      if (pos_ >= chunkLen_) {
        chunkStart_ += chunkLen_;
        if (chunkStart_ >= dir_.length) return false;
        chunkLen_ = std::size_t(std::min<std::uint64_t>(IsoImage::kSectorSize, dir_.length - chunkStart_));
        if (!image_.ReadAt(dir_.offset + chunkStart_, buf_, chunkLen_)) {
          error = IsoError::ReadFailed;
          return false;
        }
        pos_ = 0;
      }
      std::size_t len = buf_[pos_];
      if (len == 0) {
        pos_ = chunkLen_;
        continue;
      }
      if (len < kMinRecord || len > chunkLen_ - pos_) {
        error = IsoError::BadRecord;
        return false;
      }
      const std::uint8_t* p = buf_ + pos_;
      pos_ += len;
      if (!Parse(p, len, r)) {
        error = IsoError::BadRecord;
        return false;
      }
      return true;
    }
  }

 private:
  bool Parse(const std::uint8_t* p, std::size_t len, RawRecord& r) {
    r = RawRecord{};
    r.xar = p[1];
    r.lba = Le32(p + 2);
    r.dataLength = Le32(p + 10);
    r.flags = p[25];
    r.unitSize = p[26];
    r.gap = p[27];
    std::size_t nameLen = p[32];
    if (nameLen == 0 || 33 + nameLen > len) return false;
    const std::uint8_t* name = p + 33;
    r.rawName.assign(reinterpret_cast<const char*>(name), nameLen);
    if (nameLen == 1 && (name[0] == 0 || name[0] == 1)) {
      (name[0] == 0 ? r.self : r.parent) = true;
      return true;
    }
    r.isoName = StripVersion(joliet_ ? DecodeUcs2Be(name, nameLen) : r.rawName);
    if (!joliet_) {
      std::size_t su = 33 + nameLen + (nameLen % 2 == 0 ? 1 : 0);
      if (su < len) r.longName = RockRidgeName(p + su, len - su);
    }
    return true;
  }

  IReadAt& image_;
  IsoExtent dir_;
  bool joliet_;
  std::uint64_t chunkStart_ = 0;
  std::size_t chunkLen_ = 0, pos_ = 0;
  std::uint8_t buf_[IsoImage::kSectorSize];
};

}  // namespace

IsoError IsoImage::ReadRoot(const std::uint8_t* d, bool joliet, Tree& tree) {
  if (Le16(d + 128) != kSectorSize) return IsoError::BadBlockSize;
  const std::uint8_t* root = d + 156;
  if (root[0] < kMinRecord || !(root[25] & kFlagDirectory)) return IsoError::BadRecord;
  IsoExtent e{(std::uint64_t(Le32(root + 2)) + root[1]) * kSectorSize, Le32(root + 10)};
  if (!ExtentInImage(e, image_.Size())) return IsoError::ExtentOutsideImage;
  tree.present = true;
  tree.joliet = joliet;
  tree.root.name = "/";
  tree.root.isDir = true;
  tree.root.joliet = joliet;
  tree.root.size = e.length;
  tree.root.extents = {e};
  return IsoError::None;
}

IsoError IsoImage::Open() {
  primary_ = Tree{};
  joliet_ = Tree{};
  IsoError primaryError = IsoError::BadVolumeDescriptor;
  std::uint8_t d[kSectorSize];
  for (int i = 0; i < kMaxDescriptors; ++i) {
    std::uint64_t off = std::uint64_t(16 + i) * kSectorSize;
    if (off > image_.Size() || image_.Size() - off < kSectorSize) {
      if (i == 0) return IsoError::NotIso;
      break;
    }
    if (!image_.ReadAt(off, d, kSectorSize)) return IsoError::ReadFailed;
    if (std::memcmp(d + 1, "CD001", 5) != 0) {
      if (i == 0) return IsoError::NotIso;
      break;
    }
    if (d[0] == 255) break;
    if (d[0] == 1 && !primary_.present) {
      primaryError = ReadRoot(d, false, primary_);
    } else if (d[0] == 2 && !joliet_.present && IsJolietEscape(d + 88)) {
      // A damaged Joliet tree only loses the long names; the primary tree stays.
      Tree t;
      if (ReadRoot(d, true, t) == IsoError::None) joliet_ = t;
    }
  }
  if (!primary_.present) {
    if (!joliet_.present) return primaryError;
  }
  return IsoError::None;
}

namespace {

// Turns a record (and the records that continue it) into an entry.
IsoError MakeEntry(const RawRecord& r, const std::string& name, std::uint64_t imageSize,
                   IsoEntry& out) {
  out = IsoEntry{};
  out.name = name;
  out.isDir = (r.flags & kFlagDirectory) != 0;
  if (!out.isDir && (r.unitSize != 0 || r.gap != 0)) return IsoError::Unsupported;
  IsoExtent e{(std::uint64_t(r.lba) + r.xar) * IsoImage::kSectorSize, r.dataLength};
  if (!ExtentInImage(e, imageSize)) return IsoError::ExtentOutsideImage;
  out.extents.push_back(e);
  out.size = e.length;
  return IsoError::None;
}

// The name under which a record matches a path element, empty when it does not.
std::string MatchName(const RawRecord& r, const std::string& upperPart) {
  if (!r.longName.empty() && AsciiUpper(r.longName) == upperPart) return r.longName;
  if (AsciiUpper(r.isoName) == upperPart) return r.isoName;
  return {};
}

// Reads the records that continue a multi-extent file (all but the last carry
// the multi-extent flag and all share one identifier); r is the first record.
IsoError CollectExtents(DirCursor& cursor, RawRecord r, std::uint64_t imageSize, IsoEntry& entry) {
  while (r.flags & kFlagMultiExtent) {
    if (entry.isDir) return IsoError::BadRecord;
    RawRecord next;
    IsoError error = IsoError::None;
    if (!cursor.Next(next, error)) return error == IsoError::None ? IsoError::BadRecord : error;
    if (next.rawName != r.rawName || (next.flags & kFlagDirectory)) return IsoError::BadRecord;
    if (entry.extents.size() >= IsoImage::kMaxExtents) return IsoError::TooManyExtents;
    IsoEntry part;
    if (IsoError e = MakeEntry(next, entry.name, imageSize, part); e != IsoError::None) return e;
    entry.extents.push_back(part.extents[0]);
    entry.size += part.size;
    r = next;
  }
  return IsoError::None;
}

bool SplitPath(std::string_view path, std::vector<std::string>& parts) {
  std::string cur;
  auto flush = [&] {
    if (cur.empty()) return true;
    if (cur == "." || cur == "..") return false;
    parts.push_back(AsciiUpper(cur));
    cur.clear();
    return true;
  };
  for (char c : path) {
    if (c == '/' || c == '\\') {
      if (!flush()) return false;
    } else if (static_cast<unsigned char>(c) < 32) {
      return false;
    } else {
      cur.push_back(c);
    }
  }
  return flush() && !parts.empty();
}

}  // namespace

IsoError IsoImage::FindIn(const Tree& tree, const std::vector<std::string>& parts, IsoEntry& out) {
  IsoEntry cur = tree.root;
  std::vector<std::uint64_t> visited{cur.extents[0].offset};
  for (const std::string& part : parts) {
    if (!cur.isDir) return IsoError::NotADirectory;
    DirCursor cursor(image_, cur.extents[0], tree.joliet);
    RawRecord r;
    IsoError error = IsoError::None;
    bool found = false;
    IsoEntry entry;
    while (cursor.Next(r, error)) {
      if (r.self || r.parent || (r.flags & kFlagAssociated)) continue;
      std::string name = MatchName(r, part);
      if (name.empty()) continue;
      if (IsoError e = MakeEntry(r, name, image_.Size(), entry); e != IsoError::None) return e;
      if (IsoError e = CollectExtents(cursor, r, image_.Size(), entry); e != IsoError::None) return e;
      entry.joliet = tree.joliet;
      found = true;
      break;
    }
    if (error != IsoError::None) return error;
    if (!found) return IsoError::NotFound;
    if (entry.isDir) {
      std::uint64_t at = entry.extents[0].offset;
      if (std::find(visited.begin(), visited.end(), at) != visited.end()) return IsoError::DirectoryLoop;
      visited.push_back(at);
    }
    cur = std::move(entry);
  }
  out = std::move(cur);
  return IsoError::None;
}

IsoError IsoImage::Find(std::string_view path, IsoEntry& out) {
  std::vector<std::string> parts;
  if (!SplitPath(path, parts)) return IsoError::BadPath;
  if (parts.size() > kMaxDepth) return IsoError::PathTooDeep;
  IsoError first = IsoError::NotFound;
  for (const Tree* tree : {&joliet_, &primary_}) {
    if (!tree->present) continue;
    IsoError e = FindIn(*tree, parts, out);
    if (e == IsoError::None) return e;
    if (first == IsoError::NotFound) first = e;
  }
  return first;
}

IsoError IsoImage::List(const IsoEntry& dir, std::vector<IsoEntry>& out, std::size_t maxEntries) {
  out.clear();
  if (!dir.isDir || dir.extents.size() != 1) return IsoError::NotADirectory;
  DirCursor cursor(image_, dir.extents[0], dir.joliet);
  RawRecord r;
  IsoError error = IsoError::None;
  while (out.size() < maxEntries && cursor.Next(r, error)) {
    if (r.self || r.parent || (r.flags & kFlagAssociated)) continue;
    IsoEntry entry;
    std::string name = r.longName.empty() ? r.isoName : r.longName;
    if (IsoError e = MakeEntry(r, name, image_.Size(), entry); e != IsoError::None) return e;
    if (IsoError e = CollectExtents(cursor, r, image_.Size(), entry); e != IsoError::None) return e;
    entry.joliet = dir.joliet;
    out.push_back(std::move(entry));
  }
  return error;
}

IsoError IsoImage::Copy(const IsoEntry& file, IWriteSink& sink, std::size_t chunkSize) {
  if (file.isDir) return IsoError::NotAFile;
  if (chunkSize == 0) chunkSize = 1;
  std::vector<std::uint8_t> buf(std::size_t(std::min<std::uint64_t>(chunkSize, std::max<std::uint64_t>(file.size, 1))));
  for (const IsoExtent& e : file.extents) {
    if (!ExtentInImage(e, image_.Size())) return IsoError::ExtentOutsideImage;
    std::uint64_t done = 0;
    while (done < e.length) {
      std::size_t n = std::size_t(std::min<std::uint64_t>(buf.size(), e.length - done));
      if (!image_.ReadAt(e.offset + done, buf.data(), n)) return IsoError::ReadFailed;
      if (!sink.Write(buf.data(), n)) return IsoError::WriteFailed;
      done += n;
    }
  }
  return IsoError::None;
}

}  // namespace lum
