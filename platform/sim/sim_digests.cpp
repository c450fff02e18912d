// File digests on the simulated machine: the host file behind the path,
// hashed with OpenSSL's libcrypto in blocks of the same size as on Windows.
#include <openssl/evp.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/sim/sim_parts.h"

namespace lum::sim {

std::optional<Sha256Digest> SimMachine::DigestsImpl::Sha256File(
    const std::string& path, const std::function<bool(std::uint64_t)>& progress) {
  if (m_.Failing("digests.Sha256File", {path})) return std::nullopt;
  std::uint32_t error = 0;
  std::optional<Resolved> r = m_.Resolve(path, error);
  if (!r) {
    m_.SetError(error ? error : err::FileNotFound);
    return std::nullopt;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(r->host.c_str(), "rb"), std::fclose);
  if (!file) {
    m_.SetError(err::FileNotFound);
    return std::nullopt;
  }
  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1) return std::nullopt;
  std::vector<unsigned char> block(1 << 20);
  std::uint64_t done = 0;
  for (;;) {
    const std::size_t n = std::fread(block.data(), 1, block.size(), file.get());
    if (n > 0) {
      EVP_DigestUpdate(ctx.get(), block.data(), n);
      done += n;
    }
    if (std::ferror(file.get())) return std::nullopt;
    if (progress && !progress(done)) return std::nullopt;
    if (n < block.size()) break;
  }
  Sha256Digest digest{};
  unsigned size = 0;
  if (EVP_DigestFinal_ex(ctx.get(), digest.data(), &size) != 1 || size != digest.size())
    return std::nullopt;
  return digest;
}

}  // namespace lum::sim
