// lumora-fetch URL DIR NAME [CONNECTIONS]: fetches one file with the engine
// and prints one line with the outcome. Used by the benchmark.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "engine/engine.h"
#include "engine/host/curl_transport.h"
#include "engine/task_records.h"

int main(int argc, char** argv) {
  using namespace lum::engine;
  if (argc < 4) {
    std::fprintf(stderr, "usage: lumora-fetch URL DIR NAME [CONNECTIONS]\n");
    return 2;
  }
  EngineOptions opt;
  if (argc > 4) opt.connections = std::atoi(argv[4]);
  Engine engine(MakeCurlTransport(), std::shared_ptr<IEngineFiles>(MakeNativeFiles()), opt);
  std::uint32_t id = engine.CreateTask({argv[1], argv[2], argv[3]});
  if (!id || !engine.StartTask(id)) return 1;
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    auto s = engine.Query(id);
    if (!s) return 1;
    if (s->status == kStatusFinished || s->status == kStatusFailed) {
      std::printf("status=%d fail=%d bytes=%lld\n", s->status, s->failCode,
                  static_cast<long long>(s->received));
      return s->status == kStatusFinished ? 0 : 1;
    }
  }
}
