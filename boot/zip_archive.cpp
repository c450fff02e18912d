#include "boot/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

#include "boot/zip_crypto.h"

namespace lum {
namespace {

constexpr std::uint32_t kLocalSig = 0x04034b50u, kCentralSig = 0x02014b50u,
                        kEndSig = 0x06054b50u, kZip64LocatorSig = 0x07064b50u,
                        kDescriptorSig = 0x08074b50u;
constexpr std::size_t kEndSize = 22, kCentralSize = 46, kLocalSize = 30;
constexpr std::size_t kCryptHeaderSize = 12;
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::uint16_t kMethodStored = 0, kMethodDeflated = 8;
// Strong encryption and an encrypted central directory.
constexpr std::uint16_t kUnsupportedFlags = 0x0040 | 0x2000;

std::uint16_t U16(const Bytes& d, std::size_t p) {
  return static_cast<std::uint16_t>(d[p] | (d[p + 1] << 8));
}
std::uint32_t U32(const Bytes& d, std::size_t p) {
  return static_cast<std::uint32_t>(d[p]) | (static_cast<std::uint32_t>(d[p + 1]) << 8) |
         (static_cast<std::uint32_t>(d[p + 2]) << 16) | (static_cast<std::uint32_t>(d[p + 3]) << 24);
}

[[noreturn]] void Fail(const std::string& what) { throw ZipError(what); }
[[noreturn]] void FailEntry(const ZipEntry& e, const std::string& what) {
  throw ZipError("zip entry \"" + e.name + "\": " + what);
}

bool IsUtf8(const Bytes& s) {
  for (std::size_t i = 0; i < s.size();) {
    std::uint8_t c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t n;
    std::uint32_t cp;
    if ((c & 0xE0) == 0xC0) {
      n = 1, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n + 1;
  }
  return true;
}

// Names flagged as UTF-8, plain ASCII names and names that happen to be valid
// UTF-8 (as Unix archivers store them) are taken as they are; any other byte
// string is read as Latin-1 so that every name has some stable spelling.
std::string DecodeName(const Bytes& raw, bool utf8Flag) {
  if (IsUtf8(raw)) return std::string(raw.begin(), raw.end());
  if (utf8Flag) Fail("zip entry name is flagged as UTF-8 but is not");
  std::string out;
  for (std::uint8_t c : raw) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool HasZip64Extra(const Bytes& d, std::size_t p, std::size_t len) {
  std::size_t end = p + len;
  while (p + 4 <= end) {
    std::uint16_t tag = U16(d, p), size = U16(d, p + 2);
    if (tag == 0x0001) return true;
    p += 4 + size;
  }
  return false;
}

// Runs raw inflate over the decrypted input, never producing more than limit bytes.
class Inflater {
 public:
  Inflater() {
    if (inflateInit2(&zs_, -MAX_WBITS) != Z_OK) Fail("zlib cannot be initialised");
  }
  ~Inflater() { inflateEnd(&zs_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // Feeds one piece of input; returns true once the deflate stream has ended.
  bool Feed(const ZipEntry& e, std::uint8_t* in, std::size_t n, std::uint64_t& produced,
            const ZipSink& sink) {
    zs_.next_in = in;
    zs_.avail_in = static_cast<uInt>(n);
    std::vector<std::uint8_t>& out = out_;
    while (true) {
      zs_.next_out = out.data();
      zs_.avail_out = static_cast<uInt>(out.size());
      int rc = inflate(&zs_, Z_NO_FLUSH);
      if (rc == Z_BUF_ERROR && zs_.avail_in == 0) return false;  // wants more input
      if (rc != Z_OK && rc != Z_STREAM_END) FailEntry(e, "damaged deflate data");
      std::size_t got = out.size() - zs_.avail_out;
      if (produced + got > e.size) FailEntry(e, "data longer than its declared size");
      produced += got;
      if (got) sink(out.data(), got);
      if (rc == Z_STREAM_END) {
        if (zs_.avail_in != 0) FailEntry(e, "data after the end of the deflate stream");
        return true;
      }
      if (zs_.avail_in == 0 && zs_.avail_out != 0) return false;
    }
  }

 private:
  z_stream zs_{};
  std::vector<std::uint8_t> out_ = std::vector<std::uint8_t>(kChunk);
};

}  // namespace

bool ZipEntry::IsDirectory() const {
  return !name.empty() && (name.back() == '/' || name.back() == '\\');
}

ZipArchive::ZipArchive(Bytes data) : data_(std::move(data)) { ParseDirectory(); }

void ZipArchive::ParseDirectory() {
  const Bytes& d = data_;
  if (d.size() < kEndSize) Fail("not a zip archive: too short for an end record");

  // The end record is the last 22 bytes plus a comment of at most 65535 bytes;
  // its comment length must reach exactly to the end of the file.
  std::size_t end = std::string::npos;
  std::size_t lowest = d.size() > kEndSize + 0xFFFF ? d.size() - kEndSize - 0xFFFF : 0;
  for (std::size_t p = d.size() - kEndSize + 1; p-- > lowest;) {
    if (U32(d, p) == kEndSig && p + kEndSize + U16(d, p + 20) == d.size()) {
      end = p;
      break;
    }
  }
  if (end == std::string::npos) Fail("not a zip archive, or truncated: no end of central directory");
  if (end >= 20 && U32(d, end - 20) == kZip64LocatorSig) Fail("Zip64 archives are not supported");

  std::uint16_t disk = U16(d, end + 4), cdDisk = U16(d, end + 6);
  std::uint16_t onDisk = U16(d, end + 8), total = U16(d, end + 10);
  std::uint32_t cdSize = U32(d, end + 12), cdOffset = U32(d, end + 16);
  if (total == 0xFFFF || onDisk == 0xFFFF || cdSize == 0xFFFFFFFFu || cdOffset == 0xFFFFFFFFu)
    Fail("Zip64 archives are not supported");
  if (disk != 0 || cdDisk != 0 || onDisk != total) Fail("split zip archives are not supported");
  if (static_cast<std::uint64_t>(cdOffset) + cdSize > end)
    Fail("damaged zip archive: central directory outside the file");

  directoryOffset_ = cdOffset;
  std::size_t p = cdOffset, cdEnd = static_cast<std::size_t>(cdOffset) + cdSize;
  entries_.reserve(total);
  for (unsigned i = 0; i < total; ++i) {
    if (p + kCentralSize > cdEnd || U32(d, p) != kCentralSig)
      Fail("damaged zip archive: bad central directory header");
    ZipEntry e;
    e.flags = U16(d, p + 8);
    e.method = U16(d, p + 10);
    e.modTime = U16(d, p + 12);
    e.modDate = U16(d, p + 14);
    e.crc = U32(d, p + 16);
    e.compressedSize = U32(d, p + 20);
    e.size = U32(d, p + 24);
    std::size_t nameLen = U16(d, p + 28), extraLen = U16(d, p + 30), commentLen = U16(d, p + 32);
    std::uint16_t startDisk = U16(d, p + 34);
    e.localHeaderOffset = U32(d, p + 42);
    if (p + kCentralSize + nameLen + extraLen + commentLen > cdEnd)
      Fail("damaged zip archive: central directory header runs past its end");
    if (e.compressedSize == 0xFFFFFFFFu || e.size == 0xFFFFFFFFu ||
        e.localHeaderOffset == 0xFFFFFFFFu || startDisk == 0xFFFF ||
        HasZip64Extra(d, p + kCentralSize + nameLen, extraLen))
      Fail("Zip64 archives are not supported");
    if (startDisk != 0) Fail("split zip archives are not supported");
    e.rawName.assign(d.begin() + p + kCentralSize, d.begin() + p + kCentralSize + nameLen);
    e.name = DecodeName(e.rawName, (e.flags & 0x0800) != 0);
    entries_.push_back(std::move(e));
    p += kCentralSize + nameLen + extraLen + commentLen;
  }
  if (p != cdEnd) Fail("damaged zip archive: central directory size does not match its entries");
}

std::size_t ZipArchive::CheckLocalHeader(const ZipEntry& e) const {
  const Bytes& d = data_;
  std::size_t p = e.localHeaderOffset;
  if (static_cast<std::uint64_t>(p) + kLocalSize > directoryOffset_ || U32(d, p) != kLocalSig)
    FailEntry(e, "bad local header");
  std::uint16_t flags = U16(d, p + 6), method = U16(d, p + 8);
  std::size_t nameLen = U16(d, p + 26), extraLen = U16(d, p + 28);
  std::size_t dataStart = p + kLocalSize + nameLen + extraLen;
  if (dataStart > directoryOffset_) FailEntry(e, "local header runs into the central directory");
  if ((flags & 0x0009) != (e.flags & 0x0009) || method != e.method)
    FailEntry(e, "local and central headers disagree");
  if (!std::equal(e.rawName.begin(), e.rawName.end(), d.begin() + p + kLocalSize,
                  d.begin() + p + kLocalSize + nameLen) ||
      nameLen != e.rawName.size())
    FailEntry(e, "local and central headers disagree on the name");
  if (HasZip64Extra(d, p + kLocalSize + nameLen, extraLen)) FailEntry(e, "Zip64 entries are not supported");
  if (!e.HasDataDescriptor() &&
      (U32(d, p + 14) != e.crc || U32(d, p + 18) != e.compressedSize || U32(d, p + 22) != e.size))
    FailEntry(e, "local and central headers disagree on CRC or sizes");
  if (static_cast<std::uint64_t>(dataStart) + e.compressedSize > directoryOffset_)
    FailEntry(e, "data runs into the central directory");
  return dataStart;
}

// An entry written as a stream carries its CRC and sizes after the data, with
// or without a signature; they must be the central directory's.
void ZipArchive::CheckDataDescriptor(const ZipEntry& e, std::size_t p) const {
  const Bytes& d = data_;
  if (p + 4 <= directoryOffset_ && U32(d, p) == kDescriptorSig) p += 4;
  if (p + 12 > directoryOffset_) FailEntry(e, "data descriptor missing");
  if (U32(d, p) != e.crc || U32(d, p + 4) != e.compressedSize || U32(d, p + 8) != e.size)
    FailEntry(e, "data descriptor disagrees with the central directory");
}

void ZipArchive::Read(const ZipEntry& e, const Bytes& password, const ZipSink& sink) const {
  if (e.flags & kUnsupportedFlags) FailEntry(e, "strong encryption is not supported");
  if (e.method != kMethodStored && e.method != kMethodDeflated)
    FailEntry(e, "unsupported compression method " + std::to_string(e.method));
  std::size_t p = CheckLocalHeader(e);
  std::size_t left = e.compressedSize;
  if (e.HasDataDescriptor()) CheckDataDescriptor(e, p + left);

  std::unique_ptr<ZipCrypto> crypto;
  if (e.Encrypted()) {
    if (left < kCryptHeaderSize) FailEntry(e, "encryption header missing");
    crypto = std::make_unique<ZipCrypto>(password.data(), password.size());
    std::uint8_t header[kCryptHeaderSize];
    std::copy(data_.begin() + p, data_.begin() + p + kCryptHeaderSize, header);
    crypto->Decrypt(header, sizeof header);
    // The last header byte repeats the high byte of the CRC, or of the file
    // time when the CRC was not known before the data was written.
    std::uint16_t localTime = U16(data_, e.localHeaderOffset + 10);
    std::uint8_t check = e.HasDataDescriptor() ? static_cast<std::uint8_t>(localTime >> 8)
                                               : static_cast<std::uint8_t>(e.crc >> 24);
    if (header[kCryptHeaderSize - 1] != check) FailEntry(e, "wrong password");
    p += kCryptHeaderSize;
    left -= kCryptHeaderSize;
  }
  if (e.method == kMethodStored && left != e.size)
    FailEntry(e, "stored size does not match the declared size");

  std::uint32_t crc = crc32(0L, Z_NULL, 0);
  std::uint64_t produced = 0;
  ZipSink counted = [&](const std::uint8_t* b, std::size_t n) {
    crc = crc32(crc, b, static_cast<uInt>(n));
    sink(b, n);
  };
  std::unique_ptr<Inflater> inflater;
  if (e.method == kMethodDeflated) inflater = std::make_unique<Inflater>();
  bool ended = false;
  std::vector<std::uint8_t> chunk(kChunk);
  std::uint8_t* buf = chunk.data();
  while (left > 0) {
    std::size_t n = std::min(left, kChunk);
    std::copy(data_.begin() + p, data_.begin() + p + n, buf);
    if (crypto) crypto->Decrypt(buf, n);
    p += n;
    left -= n;
    if (inflater) {
      if (ended) FailEntry(e, "data after the end of the deflate stream");
      ended = inflater->Feed(e, buf, n, produced, counted);
    } else {
      produced += n;
      counted(buf, n);
    }
  }
  if (inflater && !ended) FailEntry(e, "deflate stream is incomplete");
  if (produced != e.size) FailEntry(e, "data shorter than its declared size");
  if (crc != e.crc) FailEntry(e, "CRC mismatch");
}

}  // namespace lum
