#pragma once
// File digests with CryptoAPI: the AES provider type (PROV_RSA_AES), which
// offers CALG_SHA_256 from Windows XP SP3 on.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32Digests final : public IDigests {
 public:
  std::optional<Sha256Digest> Sha256File(
      const std::string& path, const std::function<bool(std::uint64_t)>& progress) override;
};

}  // namespace lum::win32
