// The engine core against real HTTP servers on 127.0.0.1: a scripted Python
// server that can refuse ranges, cut connections, redirect, fail, and change
// the file between requests; and nginx from the Debian package.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <zlib.h>

#include <chrono>
#include <functional>
#include <cstdlib>
#include <thread>

#include "engine/engine.h"
#include "engine/host/curl_transport.h"
#include "engine/state_file.h"
#include "engine/task_records.h"
#include "test_servers.h"

namespace lum::engine {
namespace {

using namespace lum::enginetest;
using namespace std::chrono_literals;

EngineOptions TestOptions() {
  EngineOptions o;
  o.minPiece = 256 * 1024;  // several connections even for files of a few MiB
  o.backoffFirst = 10ms;
  o.backoffMax = 100ms;
  o.maxRetries = 4;
  return o;
}

class EngineDownload : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char tmpl[] = "/tmp/lumora-engine-XXXXXX";
    root_ = mkdtemp(tmpl);
    chmod(root_.c_str(), 0755);  // nginx workers run as another user
    std::system(("mkdir -p " + root_ + "/srv " + root_ + "/out " + root_ + "/nginx").c_str());
    server_ = new ScriptedServer;
    ASSERT_TRUE(server_->Start(root_ + "/srv"));
  }
  static void TearDownTestSuite() {
    delete server_;
    std::system(("rm -rf " + root_).c_str());
  }
  void SetUp() override {
    engine_ = std::make_unique<Engine>(MakeCurlTransport(), std::shared_ptr<IEngineFiles>(MakeNativeFiles()),
                                       TestOptions());
  }

  // A file on the server under a name no other test uses.
  std::string Serve(const std::string& data, const std::string& v2 = "") {
    std::string name = "f" + std::to_string(++counter_) + ".bin";
    WriteFile(root_ + "/srv/" + name, data);
    if (!v2.empty()) WriteFile(root_ + "/srv/" + name + ".v2", v2);
    return name;
  }
  std::string Out(const std::string& name) { return root_ + "/out/" + name; }

  TaskSnapshot Fetch(const std::string& url, const std::string& name) {
    std::uint32_t id = engine_->CreateTask({url, root_ + "/out/", name});
    EXPECT_NE(id, 0u);
    EXPECT_TRUE(engine_->StartTask(id));
    return WaitEnd(id);
  }
  TaskSnapshot WaitEnd(std::uint32_t id) {
    auto until = std::chrono::steady_clock::now() + 60s;
    for (;;) {
      auto s = engine_->Query(id);
      if (!s) return {};
      if (s->status == kStatusFinished || s->status == kStatusFailed ||
          std::chrono::steady_clock::now() > until) {
        return *s;
      }
      std::this_thread::sleep_for(10ms);
    }
  }
  void ExpectNoPartials(const std::string& name) {
    EXPECT_FALSE(Exists(Out(name) + ".td")) << name;
    EXPECT_FALSE(Exists(Out(name) + ".td.cfg")) << name;
  }

  static std::string root_;
  static ScriptedServer* server_;
  static int counter_;
  std::unique_ptr<Engine> engine_;
};

std::string EngineDownload::root_;
ScriptedServer* EngineDownload::server_ = nullptr;
int EngineDownload::counter_ = 0;

std::optional<std::string> ReadFileIfAny(const std::string& path) {
  if (!Exists(path)) return std::nullopt;
  return ReadFile(path);
}

struct GoodCase {
  const char* what;
  std::size_t size;
  const char* query;
  bool expectNewVersion;   // the server changes the file after the first request
  int minConnections, maxConnections;
};

TEST_F(EngineDownload, FetchesTheExactBytesWhateverTheServerDoes) {
  const GoodCase cases[] = {
      {"ranges, several connections", 3 << 20, "slow=2", false, 2, 8},
      {"no ranges, one connection", 3 << 20, "ranges=0&slow=1", false, 1, 1},
      {"connections cut mid-body", 3 << 20, "drop=300000&slow=1", false, 1, 8},
      {"cut without ranges restarts", 3 << 20, "ranges=0&drop=700000&dropcount=3", false, 1, 1},
      {"redirect chain", 1 << 20, "redirect=3", false, 1, 8},
      {"500 pages between good answers", 3 << 20, "errevery=3&slow=1", false, 1, 8},
      {"changed file, server evaluates If-Range", 3 << 20, "change=1&slow=2", true, 1, 8},
      {"changed file, server ignores If-Range", 3 << 20, "change=1&slow=2&ifrange=0", true, 1, 8},
      {"200 to a Range on a later segment", 3 << 20, "range200=1&slow=2", false, 1, 8},
      {"206 shorter than the piece asked for", 3 << 20, "short=300000&slow=1", false, 1, 8},
      {"206 running past the piece asked for", 3 << 20, "fullrange=1&slow=1", false, 1, 8},
      {"connection closed after every response", 3 << 20, "close=1&slow=1", false, 1, 8},
      {"unknown length, ends inside a piece", (3 << 20) + 5, "nototal=1", false, 1, 1},
      {"unknown length, ends where a piece ends", 1 << 20, "nototal=1", false, 1, 1},
      {"zero-length file", 0, "", false, 1, 1},
      {"zero-length file, no ranges", 0, "ranges=0", false, 1, 1},
      {"one-byte file", 1, "", false, 1, 1},
      {"one-byte file, no ranges", 1, "ranges=0", false, 1, 1},
  };
  unsigned seed = 1;
  for (const GoodCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string v1 = RandomBytes(c.size, seed++);
    std::string v2 = c.expectNewVersion ? RandomBytes(c.size + 4096, seed++) : "";
    std::string name = Serve(v1, v2);
    TaskSnapshot s = Fetch(server_->Url(name, c.query), name);
    ASSERT_EQ(s.status, kStatusFinished) << "fail code " << s.failCode;
    const std::string& want = c.expectNewVersion ? v2 : v1;
    std::string wantPath = root_ + "/srv/" + name + (c.expectNewVersion ? ".v2" : "");
    EXPECT_EQ(Sha256File(Out(name)), Sha256File(wantPath));
    EXPECT_EQ(s.total, static_cast<std::int64_t>(want.size()));
    EXPECT_EQ(s.received, static_cast<std::int64_t>(want.size()));
    EXPECT_EQ(s.fraction, 1.0f);
    ExpectNoPartials(name);
    int active = server_->Stat(name, "maxActive");
    EXPECT_GE(active, c.minConnections);
    EXPECT_LE(active, c.maxConnections);
  }
}

struct BadCase {
  const char* what;
  const char* query;
  std::int32_t failCode;
  bool serveFile;
};

TEST_F(EngineDownload, FailsWithoutWritingErrorPages) {
  const BadCase cases[] = {
      {"404 from the server", "status=404", 404, true},
      {"500 on every try", "status=500", 500, true},
      {"no such file", "", 404, false},
      {"endless redirects", "redirect=50", kFailTooManyRedirects, true},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string name = c.serveFile ? Serve(RandomBytes(100000, 7)) : "missing.bin";
    TaskSnapshot s = Fetch(server_->Url(name, c.query), name);
    EXPECT_EQ(s.status, kStatusFailed);
    EXPECT_EQ(s.failCode, c.failCode);
    EXPECT_FALSE(Exists(Out(name)));
    ExpectNoPartials(name);  // no empty partial file from an attempt that got nothing
  }
}

// A connection asks for its segment piece by piece on one kept-alive
// connection; a server that closes after each response costs a connection
// per piece but still gives the same bytes.
TEST_F(EngineDownload, PiecesFollowOneAnotherOnAKeptAliveConnection) {
  struct Case {
    const char* query;
    bool keepAlive;
  } cases[] = {{"slow=1", true}, {"slow=1&close=1", false}};
  EngineOptions o = TestOptions();
  o.connections = 1;
  o.firstPiece = 256 << 10;
  engine_ = std::make_unique<Engine>(MakeCurlTransport(), std::shared_ptr<IEngineFiles>(MakeNativeFiles()), o);
  unsigned seed = 81;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    std::string name = Serve(RandomBytes((4 << 20) + 12345, seed++));
    TaskSnapshot s = Fetch(server_->Url(name, c.query), name);
    ASSERT_EQ(s.status, kStatusFinished) << "fail code " << s.failCode;
    EXPECT_EQ(Sha256File(Out(name)), Sha256File(root_ + "/srv/" + name));
    ExpectNoPartials(name);
    int requests = server_->Stat(name, "requests");
    EXPECT_GE(requests, 3);  // 256 KiB, then pieces growing with the rate seen
    EXPECT_EQ(server_->Stat(name, "ranged"), requests);
    EXPECT_EQ(server_->Stat(name, "connections"), c.keepAlive ? 1 : requests);
    // One request at a time on the kept-alive connection. (After a close the
    // server may still be finishing one response as the next one arrives.)
    if (c.keepAlive) EXPECT_EQ(server_->Stat(name, "maxActive"), 1);
  }
}

TEST_F(EngineDownload, AStoppedTaskResumesFromItsStateFile) {
  std::string data = RandomBytes(8 << 20, 21);
  std::string name = Serve(data);
  std::string url = server_->Url(name, "slow=50");
  std::uint32_t id = engine_->CreateTask({url, root_ + "/out/", name});
  ASSERT_TRUE(engine_->StartTask(id));
  bool sawSpeed = false;
  for (int i = 0; i < 1000 && engine_->Query(id)->received < (1 << 20); ++i) {
    sawSpeed |= engine_->Query(id)->speed > 0;
    std::this_thread::sleep_for(10ms);
  }
  sawSpeed |= engine_->Query(id)->speed > 0;
  EXPECT_TRUE(sawSpeed);
  ASSERT_TRUE(engine_->StopTask(id));
  EXPECT_EQ(engine_->Query(id)->status, kStatusStopped);
  ASSERT_TRUE(Exists(Out(name) + ".td"));
  auto state = ParseState(ReadFile(Out(name) + ".td.cfg"));
  ASSERT_TRUE(state.has_value());
  EXPECT_EQ(state->total, static_cast<std::int64_t>(data.size()));
  std::int64_t missing = 0;
  for (const ByteRange& r : state->missing) missing += r.to - r.from;
  EXPECT_GT(missing, 0);
  EXPECT_LT(missing, static_cast<std::int64_t>(data.size()));
  // A stop writes out what arrived: every byte outside the missing ranges is
  // proved, to the byte, including the unfinished blocks at each segment's edge.
  std::vector<std::pair<long long, long long>> present;
  for (const ByteRange& r : RangesOutside(state->total, state->missing)) present.push_back({r.from, r.to});
  std::int64_t proved = 0;
  for (const RangeSum& p : state->proofs) proved += p.range.to - p.range.from;
  EXPECT_EQ(proved, state->total - missing);
  const long long askedBefore = server_->RequestedWithin(name, present);

  // A new engine (as after a restart of the program) takes up where it
  // stopped and asks for none of the present bytes again.
  engine_ = std::make_unique<Engine>(MakeCurlTransport(), std::shared_ptr<IEngineFiles>(MakeNativeFiles()),
                                     TestOptions());
  TaskSnapshot s = Fetch(url, name);
  ASSERT_EQ(s.status, kStatusFinished);
  EXPECT_EQ(server_->RequestedWithin(name, present), askedBefore);
  EXPECT_EQ(Sha256File(Out(name)), Sha256File(root_ + "/srv/" + name));
  ExpectNoPartials(name);
}

// A partial download left by an earlier run, written by hand: the state file
// and the data file disagree in the ways a crash or a power cut can leave
// them. Only pieces whose bytes match their proof are kept; the result is
// always the server's file, and what is fetched again is at most what could
// not be proved.
TEST_F(EngineDownload, ResumeKeepsOnlyProvedBlocksWhateverTheStateClaims) {
  const std::int64_t kB = kProofBlock;
  const std::string data = RandomBytes(6 * kB + 12345, 41);
  const std::int64_t total = static_cast<std::int64_t>(data.size());
  auto crcOf = [&](const ByteRange& r) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data() + r.from), static_cast<uInt>(r.to - r.from)));
  };
  struct Case {
    const char* what;
    std::vector<ByteRange> missing;              // what the state says is missing
    std::function<void(std::string& td, std::string& cfg)> damage;
    std::vector<ByteRange> refetch;              // what must be fetched again, in file order
    std::int64_t unprovable() const {
      std::int64_t n = 0;
      for (const ByteRange& r : refetch) n += r.to - r.from;
      return n;
    }
  };
  const std::vector<ByteRange> gap = {{3 * kB + 100, 4 * kB + 50}};  // the edges of blocks 3 and 4 present
  const std::vector<Case> cases = {
      {"state and data agree", gap, [](std::string&, std::string&) {}, gap},
      {"a block claimed but never flushed", gap,
       [&](std::string& td, std::string&) { std::fill(td.begin() + kB, td.begin() + 2 * kB, '\0'); },
       {{kB, 2 * kB}, gap[0]}},
      {"the piece before the gap never flushed", gap,
       [&](std::string& td, std::string&) { td[3 * kB + 99] ^= 1; }, {{3 * kB, 4 * kB + 50}}},
      {"a proved block damaged on the disk", gap, [&](std::string& td, std::string&) { td[5 * kB + 7] ^= 1; },
       {gap[0], {5 * kB, 6 * kB}}},
      {"the whole file claimed, its last block wrong", {},
       [&](std::string& td, std::string&) { td[total - 1] ^= 0x40; }, {{6 * kB, total}}},
      {"a state without proofs", gap,
       [&](std::string&, std::string& cfg) {
         TransferState st = *ParseState(cfg);
         st.proofs.clear();
         cfg = FormatState(st);
       },
       {{0, total}}},
      {"a state file cut short", gap, [](std::string&, std::string& cfg) { cfg.resize(cfg.size() / 2); },
       {{0, total}}},
      {"a zeroed state file", gap, [](std::string&, std::string& cfg) { cfg.assign(cfg.size(), '\0'); },
       {{0, total}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = Serve(data);
    const std::string url = server_->Url(name);
    std::string td = data;
    for (const ByteRange& r : c.missing) std::fill(td.begin() + r.from, td.begin() + r.to, '\0');
    TransferState st{url, total, "\"v1-" + std::to_string(total) + "\"", "Mon, 01 Jan 2024 00:00:00 GMT",
                     c.missing, {}};
    for (const ByteRange& piece : ProofPieces(total, c.missing)) st.proofs.push_back({piece, crcOf(piece)});
    std::string cfg = FormatState(st);
    c.damage(td, cfg);
    WriteFile(Out(name) + ".td", td);
    WriteFile(Out(name) + ".td.cfg", cfg);

    TaskSnapshot s = Fetch(url, name);
    ASSERT_EQ(s.status, kStatusFinished);
    EXPECT_EQ(Sha256File(Out(name)), Sha256File(root_ + "/srv/" + name));
    ExpectNoPartials(name);
    // Nothing that the proofs cover was asked for again; everything else was.
    std::vector<std::pair<long long, long long>> kept, refetched;
    std::int64_t pos = 0;
    for (const ByteRange& r : c.refetch) {
      if (r.from > pos) kept.push_back({pos, r.from});
      refetched.push_back({r.from, r.to});
      pos = r.to;
    }
    if (pos < total) kept.push_back({pos, total});
    EXPECT_EQ(server_->RequestedWithin(name, kept), 0);
    EXPECT_GE(server_->RequestedWithin(name, refetched), static_cast<long long>(c.unprovable()));
  }
}

// The state file follows the bytes as well as the clock: with a long interval
// it is still rewritten once enough has been written, so a crash costs at
// most about that much.
TEST_F(EngineDownload, TheStateFileIsRewrittenEveryFewMegabytes) {
  EngineOptions o = TestOptions();
  o.checkpointEvery = std::chrono::hours(1);
  o.checkpointBytes = 1 << 20;
  o.connections = 1;  // one segment: none completes before the file does
  engine_ = std::make_unique<Engine>(MakeCurlTransport(), std::shared_ptr<IEngineFiles>(MakeNativeFiles()), o);
  const std::string name = Serve(RandomBytes(8 << 20, 43));
  std::uint32_t id = engine_->CreateTask({server_->Url(name, "slow=20"), root_ + "/out/", name});
  ASSERT_TRUE(engine_->StartTask(id));
  std::optional<TransferState> seen;
  for (int i = 0; i < 3000 && !seen; ++i) {
    if (auto text = ReadFileIfAny(Out(name) + ".td.cfg")) seen = ParseState(*text);
    if (!seen) std::this_thread::sleep_for(5ms);
  }
  ASSERT_TRUE(seen) << "no state file while the task ran";
  std::int64_t missing = 0;
  for (const ByteRange& r : seen->missing) missing += r.to - r.from;
  EXPECT_LT(missing, seen->total);  // it records bytes already written
  EXPECT_FALSE(seen->proofs.empty());
  ASSERT_TRUE(engine_->StopTask(id));
}

TEST_F(EngineDownload, ResumeOfAFileThatChangedMeanwhileStartsAfresh) {
  std::string name = Serve(RandomBytes(4 << 20, 31));
  std::string url = server_->Url(name, "slow=50");
  std::uint32_t id = engine_->CreateTask({url, root_ + "/out/", name});
  ASSERT_TRUE(engine_->StartTask(id));
  while (engine_->Query(id)->received < (1 << 20)) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(engine_->StopTask(id));
  ASSERT_TRUE(Exists(Out(name) + ".td.cfg"));
  // Another version of the file (another length, so another ETag).
  WriteFile(root_ + "/srv/" + name, RandomBytes((4 << 20) + 777, 32));
  ASSERT_TRUE(engine_->StartTask(id));
  TaskSnapshot s = WaitEnd(id);
  ASSERT_EQ(s.status, kStatusFinished);
  EXPECT_EQ(Sha256File(Out(name)), Sha256File(root_ + "/srv/" + name));
  ExpectNoPartials(name);
}

TEST_F(EngineDownload, ADataFileShorterThanItsStateIsFetchedAgain) {
  std::string name = Serve(RandomBytes(4 << 20, 35));
  std::uint32_t id = engine_->CreateTask({server_->Url(name, "slow=50"), root_ + "/out/", name});
  ASSERT_TRUE(engine_->StartTask(id));
  while (engine_->Query(id)->received < (2 << 20)) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(engine_->StopTask(id));
  ASSERT_TRUE(Exists(Out(name) + ".td.cfg"));
  ASSERT_EQ(truncate((Out(name) + ".td").c_str(), 1000), 0);
  ASSERT_TRUE(engine_->StartTask(id));
  TaskSnapshot s = WaitEnd(id);
  ASSERT_EQ(s.status, kStatusFinished);
  EXPECT_EQ(Sha256File(Out(name)), Sha256File(root_ + "/srv/" + name));
}

TEST_F(EngineDownload, TheFirstQueryAlreadyReportsTheSpeedSinceTheStart) {
  std::string data = RandomBytes(16 << 20, 31);  // several seconds at this pace
  std::string name = Serve(data);
  std::uint32_t id = engine_->CreateTask({server_->Url(name, "slow=100"), root_ + "/out/", name});
  ASSERT_TRUE(engine_->StartTask(id));
  std::this_thread::sleep_for(600ms);
  auto first = engine_->Query(id);
  ASSERT_GT(first->received, 0);
  EXPECT_GT(first->speed, 0) << "a download under way showed no speed on its first query (status "
                             << first->status << ", " << first->received << " bytes)";
  ASSERT_TRUE(engine_->StopTask(id));
}

TEST_F(EngineDownload, SpeedLimitHoldsTheRateDown) {
  std::string name = Serve(RandomBytes(3 << 20, 41));
  engine_->SetSpeedLimit(1 << 20);
  auto t0 = std::chrono::steady_clock::now();
  TaskSnapshot s = Fetch(server_->Url(name), name);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  ASSERT_EQ(s.status, kStatusFinished);
  EXPECT_GE(seconds, 1.5);  // 3 MiB at 1 MiB/s, with half a second of allowance
  EXPECT_EQ(Sha256File(Out(name)), Sha256File(root_ + "/srv/" + name));
}

TEST_F(EngineDownload, StopEndsAStalledTransfer) {
  std::string name = Serve(RandomBytes(2 << 20, 51));
  std::uint32_t id = engine_->CreateTask({server_->Url(name, "slow=3000"), root_ + "/out/", name});
  ASSERT_TRUE(engine_->StartTask(id));
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(engine_->StopTask(id));
  EXPECT_EQ(engine_->Query(id)->status, kStatusStopped);
  EXPECT_FALSE(Exists(Out(name)));
  EXPECT_TRUE(engine_->DeleteTask(id));
  EXPECT_FALSE(engine_->Query(id).has_value());
}

TEST_F(EngineDownload, ProbeSizeAsksTheServer) {
  std::string name = Serve(RandomBytes(12345, 61));
  EXPECT_EQ(engine_->ProbeSize(server_->Url(name, "redirect=2")), 12345);
  EXPECT_EQ(engine_->ProbeSize(server_->Url(name, "ranges=0")), 12345);
  EXPECT_EQ(engine_->ProbeSize(server_->Url(Serve(""))), 0);
  EXPECT_FALSE(engine_->ProbeSize(server_->Url("missing.bin")).has_value());
}

TEST_F(EngineDownload, NginxWithAndWithoutRanges) {
  std::string data = RandomBytes(9 << 20, 71);
  WriteFile(root_ + "/srv/big.bin", data);
  WriteFile(root_ + "/srv/empty.bin", "");
  WriteFile(root_ + "/srv/one.bin", "x");
  for (bool ranges : {true, false}) {
    SCOPED_TRACE(ranges ? "ranges" : "no ranges");
    std::string work = root_ + "/nginx/" + (ranges ? "r" : "n");
    std::system(("mkdir -p " + work).c_str());
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start(root_ + "/srv", work, ranges));
    for (const char* file : {"big.bin", "empty.bin", "one.bin"}) {
      SCOPED_TRACE(file);
      std::string out = std::string(ranges ? "r-" : "n-") + file;
      TaskSnapshot s = Fetch(nginx.Url(file), out);
      ASSERT_EQ(s.status, kStatusFinished) << s.failCode;
      EXPECT_EQ(Sha256File(Out(out)), Sha256File(root_ + "/srv/" + file));
      ExpectNoPartials(out);
    }
    TaskSnapshot s = Fetch(nginx.Url("nothing-here.bin"), "nothing.bin");
    EXPECT_EQ(s.status, kStatusFailed);
    EXPECT_EQ(s.failCode, 404);
    EXPECT_FALSE(Exists(Out("nothing.bin")));
  }
}

}  // namespace
}  // namespace lum::engine
