#include "platform/win32/digests_win.h"

#include <wincrypt.h>

#include <vector>

#include "platform/win32/wide.h"

namespace lum::win32 {
namespace {

// Both handles released on every way out; the error of the failing call is
// kept across the clean-up, since callers log it.
struct HashSession {
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  HANDLE file = INVALID_HANDLE_VALUE;
  ~HashSession() {
    const DWORD error = ::GetLastError();
    if (hash) ::CryptDestroyHash(hash);
    if (provider) ::CryptReleaseContext(provider, 0);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    ::SetLastError(error);
  }
};

constexpr DWORD kBlock = 1u << 20;
// CALG_SHA_256 (ALG_CLASS_HASH | ALG_TYPE_ANY | ALG_SID_SHA_256): the headers
// declare it only for targets after XP, although XP SP3's AES provider has it.
constexpr ALG_ID kCalgSha256 = 0x0000800C;

}  // namespace

std::optional<Sha256Digest> Win32Digests::Sha256File(
    const std::string& path, const std::function<bool(std::uint64_t)>& progress) {
  HashSession s;
  if (!::CryptAcquireContextW(&s.provider, nullptr, nullptr, PROV_RSA_AES,
                              CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
    return std::nullopt;
  if (!::CryptCreateHash(s.provider, kCalgSha256, 0, 0, &s.hash)) return std::nullopt;
  s.file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (s.file == INVALID_HANDLE_VALUE) return std::nullopt;

  std::vector<BYTE> block(kBlock);
  std::uint64_t done = 0;
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(s.file, block.data(), kBlock, &got, nullptr)) return std::nullopt;
    if (got > 0 && !::CryptHashData(s.hash, block.data(), got, 0)) return std::nullopt;
    done += got;
    if (progress && !progress(done)) {
      ::SetLastError(ERROR_CANCELLED);
      return std::nullopt;
    }
    if (got == 0) break;
  }
  Sha256Digest digest{};
  DWORD size = static_cast<DWORD>(digest.size());
  if (!::CryptGetHashParam(s.hash, HP_HASHVAL, digest.data(), &size, 0) || size != digest.size())
    return std::nullopt;
  return digest;
}

}  // namespace lum::win32
