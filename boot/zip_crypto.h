#pragma once
// The traditional PKWARE stream cipher of the zip format: three 32-bit keys
// seeded from the password and stepped with every plain byte.
#include <cstddef>
#include <cstdint>

namespace lum {

class ZipCrypto {
 public:
  ZipCrypto(const std::uint8_t* password, std::size_t length);

  // Decrypts in place.
  void Decrypt(std::uint8_t* data, std::size_t length);

 private:
  void Update(std::uint8_t plain);
  std::uint8_t KeyStream() const;

  std::uint32_t k0_ = 0x12345678u, k1_ = 0x23456789u, k2_ = 0x34567890u;
};

}  // namespace lum
