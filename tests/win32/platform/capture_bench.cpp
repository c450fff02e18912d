// Prints how fast the output capture reads a child that writes a lot: the
// child program writes N bytes, the capture reads them while it runs.
//
//   scripts/wine-run build/<tree>/tests/win_capture_bench.exe [MiB...]
#include <cstdio>
#include <cstdlib>

#include "tests/win32/platform/machine_support.h"

int main(int argc, char** argv) {
  using namespace lum::win32;
  Win32Machine machine;
  lum::Platform p = machine.platform();
  const char* defaults[] = {"1", "8", "32"};
  int count = argc > 1 ? argc - 1 : 3;
  for (int i = 0; i < count; ++i) {
    long mib = std::strtol(argc > 1 ? argv[i + 1] : defaults[i], nullptr, 10);
    long bytes = mib * 1024 * 1024;
    int pumps = 0;
    std::uint64_t start = p.clock.TickMs();
    lum::CaptureResult r = p.processes.RunCaptured(
        test::ChildCommand("big " + std::to_string(bytes)), [&] { ++pumps; });
    std::uint64_t ms = p.clock.TickMs() - start;
    bool whole = r.ok && r.output.size() == static_cast<std::size_t>(bytes) + 7;
    std::printf("%4ld MiB: %6llu ms, %7.1f MiB/s, %d pumps, %s\n", mib,
                static_cast<unsigned long long>(ms), ms ? mib * 1000.0 / ms : 0.0, pumps,
                whole ? "complete" : "INCOMPLETE");
  }
  return 0;
}
