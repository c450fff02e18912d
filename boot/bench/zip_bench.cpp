// Prints how fast the zip reader decrypts, inflates and checks an archive:
//   zip_bench ARCHIVE [PASSWORD] [ROUNDS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "boot/zip_archive.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zip_bench ARCHIVE [PASSWORD] [ROUNDS]\n");
    return 2;
  }
  std::ifstream f(argv[1], std::ios::binary);
  lum::Bytes data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::string pw = argc > 2 ? argv[2] : "J5RT8WQ3";
  int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
  lum::ZipArchive zip(data);
  std::uint64_t bytes = 0;
  auto t0 = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r)
    for (const lum::ZipEntry& e : zip.Entries())
      zip.Read(e, lum::Bytes(pw.begin(), pw.end()), [&](const std::uint8_t*, std::size_t n) { bytes += n; });
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("%zu entries, %.1f MB out in %.3f s: %.1f MB/s\n", zip.Entries().size(), bytes / 1e6, s,
              bytes / 1e6 / s);
  return 0;
}
