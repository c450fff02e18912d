#pragma once
// Where the listing reads a disk's sectors from: a physical drive on Windows,
// an image file or a memory buffer in tests.
#include <cstdint>

namespace lum::disklist {

class ISectorSource {
 public:
  virtual ~ISectorSource() = default;
  // Bytes per sector of the disk.
  virtual std::uint32_t SectorSize() const = 0;
  // Number of sectors of the disk; 0 when the disk did not tell.
  virtual std::uint64_t SectorCount() const = 0;
  // Reads one whole sector into out (SectorSize() bytes). False when the read
  // fails or comes back short; out is then unspecified.
  virtual bool ReadSector(std::uint64_t lba, std::uint8_t* out) = 0;
};

}  // namespace lum::disklist
