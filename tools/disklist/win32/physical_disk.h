#pragma once
// A physical drive opened as "\\.\PhysicalDriveN", read sector by sector.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "tools/disklist/sector_source.h"

namespace lum::disklist {

class PhysicalDisk final : public ISectorSource {
 public:
  // Null when the drive does not open.
  static std::unique_ptr<PhysicalDisk> Open(unsigned n);
  ~PhysicalDisk() override;
  PhysicalDisk(const PhysicalDisk&) = delete;
  PhysicalDisk& operator=(const PhysicalDisk&) = delete;

  std::uint32_t SectorSize() const override { return sectorSize_; }
  std::uint64_t SectorCount() const override { return sectorCount_; }
  bool ReadSector(std::uint64_t lba, std::uint8_t* out) override;

 private:
  explicit PhysicalDisk(HANDLE h) : handle_(h) {}
  void QueryGeometry();

  HANDLE handle_;
  std::uint32_t sectorSize_ = 512;
  std::uint64_t sectorCount_ = 0;
  void* buffer_ = nullptr;  // page-aligned: some controllers want aligned transfers
};

}  // namespace lum::disklist
