#include "boot/zip_crypto.h"

#include <array>

namespace lum {
namespace {

// The reflected CRC-32 table (polynomial 0xEDB88320) the cipher steps its keys with.
constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[n] = c;
  }
  return t;
}
constexpr auto kCrcTable = MakeCrcTable();

std::uint32_t CrcStep(std::uint32_t crc, std::uint8_t b) {
  return kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

}  // namespace

ZipCrypto::ZipCrypto(const std::uint8_t* password, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) Update(password[i]);
}

void ZipCrypto::Update(std::uint8_t plain) {
  k0_ = CrcStep(k0_, plain);
  k1_ = (k1_ + (k0_ & 0xFF)) * 134775813u + 1;
  k2_ = CrcStep(k2_, static_cast<std::uint8_t>(k1_ >> 24));
}

std::uint8_t ZipCrypto::KeyStream() const {
  std::uint32_t t = (k2_ | 2) & 0xFFFF;
  return static_cast<std::uint8_t>((t * (t ^ 1)) >> 8);
}

void ZipCrypto::Decrypt(std::uint8_t* data, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    std::uint8_t plain = data[i] ^ KeyStream();
    Update(plain);
    data[i] = plain;
  }
}

}  // namespace lum
