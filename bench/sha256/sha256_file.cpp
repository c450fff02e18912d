// Hashes one file through the platform's digests, as the program checks a
// downloaded image, and prints the SHA-256 and the seconds it took:
//   lumora_sha256 FILE        (host: OpenSSL behind the simulated machine;
//                              Windows: CryptoAPI behind the real one)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "download/digests.h"
#ifdef _WIN32
#include "platform/win32/win32_machine.h"
#else
#include "platform/sim/sim_machine.h"
#endif

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lumora_sha256 FILE\n");
    return 2;
  }
#ifdef _WIN32
  lum::win32::Win32Machine machine;
  lum::Platform p = machine.platform();
  const std::string path = argv[1];
#else
  // The simulated C: is a folder; the file joins it through a link.
  lum::sim::SimMachine machine;
  lum::Platform& p = machine.platform();
  const std::string path = "C:\\bench.bin";
  std::filesystem::create_symlink(std::filesystem::absolute(argv[1]), machine.Host(path));
#endif
  const auto start = std::chrono::steady_clock::now();
  std::optional<lum::Sha256Digest> d = p.digests.Sha256File(path, [](std::uint64_t) { return true; });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!d) {
    std::fprintf(stderr, "cannot hash %s\n", argv[1]);
    return 1;
  }
  std::printf("%s %.3f\n", lum::Sha256Hex(*d).c_str(), seconds);
  return 0;
}
