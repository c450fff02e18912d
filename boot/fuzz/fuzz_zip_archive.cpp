// libFuzzer target for the zip reader: any input either parses or raises
// ZipError, and reading an entry never hands over more than its declared size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "boot/file_mask.h"
#include "boot/zip_archive.h"
#include "boot/zip_extract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    lum::ZipArchive zip(lum::Bytes(data, data + size));
    const lum::Bytes password = {'J', '5', 'R', 'T', '8', 'W', 'Q', '3'};
    for (const lum::ZipEntry& e : zip.Entries()) {
      (void)lum::MatchesFileMask(e.name, "wvldr;*.ima;?x*.*");
      try {
        (void)lum::ZipEntryTargetName(e.name);
      } catch (const lum::ZipError&) {
      }
      std::uint64_t seen = 0;
      try {
        zip.Read(e, password, [&](const std::uint8_t*, std::size_t n) {
          seen += n;
          if (seen > e.size) std::abort();
        });
      } catch (const lum::ZipError&) {
      }
    }
  } catch (const lum::ZipError&) {
  }
  return 0;
}
