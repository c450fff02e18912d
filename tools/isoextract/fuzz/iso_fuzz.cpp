// libFuzzer target: opens the input as an ISO image, looks up a few paths,
// lists what it finds two levels deep and copies every file it meets into a
// sink that only counts. Any read outside the buffer or endless walk shows up
// under the sanitizers and libFuzzer's timeout.
#include <cstddef>
#include <cstdint>

#include "tools/isoextract/iso9660.h"

namespace {

class CountingSink final : public lum::IWriteSink {
 public:
  bool Write(const void*, std::size_t n) override {
    total += n;
    return true;
  }
  std::uint64_t total = 0;
};

void Visit(lum::IsoImage& iso, const lum::IsoEntry& dir, int depth) {
  std::vector<lum::IsoEntry> entries;
  iso.List(dir, entries, 64);
  for (const auto& e : entries) {
    if (e.isDir) {
      if (depth < 2) Visit(iso, e, depth + 1);
    } else {
      CountingSink sink;
      iso.Copy(e, sink, 4096);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lum::MemoryReadAt image(data, size);
  lum::IsoImage iso(image);
  if (iso.Open() != lum::IsoError::None) return 0;
  for (const char* path : {"/BOOT/KRP8PE6L.WIM", "/a/b/c/d/e/f/g/h", "/"}) {
    lum::IsoEntry e;
    if (iso.Find(path, e) != lum::IsoError::None) continue;
    CountingSink sink;
    if (!e.isDir) iso.Copy(e, sink, 4096);
  }
  Visit(iso, iso.Root(), 0);
  return 0;
}
