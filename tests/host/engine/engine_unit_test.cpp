// The engine's pieces that need no network: the record layout and its
// reading, URL resolution, Content-Range, the state file and thunder links.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/http_util.h"
#include "engine/records.h"
#include "engine/state_file.h"
#include "engine/task_records.h"

namespace lum::engine {
namespace {

void Put(char16_t* field, const std::u16string& s) { std::memcpy(field, s.data(), s.size() * 2); }

std::unique_ptr<TaskParams> Params(const std::u16string& url, const std::u16string& dir,
                                   const std::u16string& name) {
  auto p = std::make_unique<TaskParams>();
  std::memset(p.get(), 0, sizeof *p);
  p->value18360 = 5;
  Put(p->url, url);
  Put(p->saveDir, dir);
  Put(p->fileName, name);
  return p;
}

TEST(EngineRecords, TaskParamsFieldsSitWhereTheProgramWritesThem) {
  auto p = Params(u"http://h/a/win7x64.gho", u"D:\\ZqGhost\\", u"win7x64.gho");
  const auto* raw = reinterpret_cast<const std::uint8_t*>(p.get());
  EXPECT_EQ(raw[4], 'h');
  EXPECT_EQ(raw[16532], 'w');
  EXPECT_EQ(raw[17572], 'D');
  std::int32_t five;
  std::memcpy(&five, raw + 18360, 4);
  EXPECT_EQ(five, 5);
  auto setup = SpecFromParams(*p);
  ASSERT_TRUE(setup.has_value());
  EXPECT_EQ(setup->url, "http://h/a/win7x64.gho");
  EXPECT_EQ(setup->saveDir, "D:\\ZqGhost\\");
  EXPECT_EQ(setup->fileName, "win7x64.gho");
}

TEST(EngineRecords, UnusableParamsAreRefused) {
  struct Case {
    const char* what;
    std::u16string url, dir, name;
    bool ok;
  };
  const Case cases[] = {
      {"plain", u"http://h/x", u"C:\\d\\", u"x", true},
      {"Chinese name", u"http://h/x", u"C:\\下载\\", u"系统.gho", true},
      {"longest URL", u"http://h/" + std::u16string(2083 - 9, u'a'), u"C:\\", u"x", true},
      {"URL too long", u"http://h/" + std::u16string(2083 - 8, u'a'), u"C:\\", u"x", false},
      {"longest name", u"http://h/x", u"C:\\", std::u16string(259, u'n'), true},
      {"name too long", u"http://h/x", u"C:\\", std::u16string(260, u'n'), false},
      {"longest directory", u"http://h/x", u"C:\\" + std::u16string(256, u'd'), u"x", true},
      {"empty URL", u"", u"C:\\", u"x", false},
      {"empty name", u"http://h/x", u"C:\\", u"", false},
      {"name with a path", u"http://h/x", u"C:\\", u"..\\evil.exe", false},
      {"name with a drive", u"http://h/x", u"C:\\", u"D:x", false},
      {"dot-dot", u"http://h/x", u"C:\\", u"..", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto p = Params(c.url, c.dir, c.name);
    EXPECT_EQ(SpecFromParams(*p).has_value(), c.ok);
  }
  // A directory that fills its field without a NUL.
  auto p = Params(u"http://h/x", u"", u"x");
  for (char16_t& ch : p->saveDir) ch = u'd';
  EXPECT_FALSE(SpecFromParams(*p).has_value());
}

TEST(EngineRecords, FillTaskInfoWritesOnlyTheEngineBytes) {
  TaskInfo info;
  std::memset(&info, 0xEE, sizeof info);
  TaskSnapshot s;
  s.status = kStatusDownloading;
  s.total = 4294967296LL;
  s.received = 1048576;
  s.fraction = 0.25f;
  s.speed = 123456;
  FillTaskInfo(s, info);
  const auto* raw = reinterpret_cast<const std::uint8_t*>(&info);
  EXPECT_EQ(raw[0], 3);
  std::int64_t total, received;
  float fraction;
  std::int32_t speed;
  std::memcpy(&total, raw + 1048, 8);
  std::memcpy(&received, raw + 1056, 8);
  std::memcpy(&fraction, raw + 1064, 4);
  std::memcpy(&speed, raw + 1152, 4);
  EXPECT_EQ(total, 4294967296LL);
  EXPECT_EQ(received, 1048576);
  EXPECT_EQ(fraction, 0.25f);
  EXPECT_EQ(speed, 123456);
  for (std::size_t i = kTaskInfoEngineWrites; i < sizeof info; ++i) EXPECT_EQ(raw[i], 0xEE) << i;
}

TEST(EngineHttp, ResolvesRedirectTargets) {
  const struct {
    const char *base, *location, *want;
  } cases[] = {
      {"http://a/b/c.iso", "http://x:81/y", "http://x:81/y"},
      {"http://a/b/c.iso", "//m/n", "http://m/n"},
      {"http://a:8080/b/c.iso?q=1", "/z.iso", "http://a:8080/z.iso"},
      {"http://a/b/c.iso?q=1", "d.iso?r=2", "http://a/b/d.iso?r=2"},
      {"http://a", "d.iso", "http://a/d.iso"},
      {"http://a/b/c", "?x", "http://a/b/c?x"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveUrl(c.base, c.location), c.want) << c.location;
}

TEST(EngineHttp, ReadsContentRange) {
  auto r = ParseContentRange("bytes 100-199/1000");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first, 100);
  EXPECT_EQ(r->last, 199);
  EXPECT_EQ(r->total, 1000);
  r = ParseContentRange("bytes */0");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first, -1);
  EXPECT_EQ(r->total, 0);
  r = ParseContentRange("bytes 0-9/*");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->total, -1);
  for (const char* bad : {"", "bytes", "bytes 5-4/10", "bytes 0-10/10", "items 0-1/2", "bytes */*", "bytes a-b/c"}) {
    EXPECT_FALSE(ParseContentRange(bad)) << bad;
  }
  EXPECT_EQ(IfRangeValidator("\"abc\"", "Mon"), "\"abc\"");
  EXPECT_EQ(IfRangeValidator("W/\"abc\"", "Mon"), "Mon");
}

TEST(EngineStateFile, RoundTripsAndRejectsDamage) {
  TransferState st{"http://h/x.iso", 10000, "\"e1\"", "Mon, 01 Jan 2024 00:00:00 GMT", {{0, 10}, {500, 10000}}, {}};
  std::string text = FormatState(st);
  auto back = ParseState(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, st);
  EXPECT_FALSE(ParseState(text.substr(0, text.size() / 2)));  // cut short
  std::string flipped = text;
  flipped[text.find("500")] = '4';
  EXPECT_FALSE(ParseState(flipped));  // checksum
  TransferState bad = st;
  bad.missing = {{500, 20000}};
  EXPECT_FALSE(ParseState(FormatState(bad)));  // past the end
  bad.missing = {{500, 600}, {0, 10}};
  EXPECT_FALSE(ParseState(FormatState(bad)));  // out of order
}

TEST(EngineStateFile, ProofsCoverEveryPresentPieceAndNothingElse) {
  const std::int64_t kB = kProofBlock;
  const std::int64_t total = 3 * kB + 10;  // blocks 0..3, the last one 10 bytes
  // Bytes kB+5 .. 2kB+20 missing: the pieces stop at it and at every block edge.
  TransferState st{"http://h/x.iso", total, "", "", {{kB + 5, 2 * kB + 20}}, {}};
  const std::vector<ByteRange> pieces = {{0, kB}, {kB, kB + 5}, {2 * kB + 20, 3 * kB}, {3 * kB, total}};
  EXPECT_EQ(ProofPieces(total, st.missing), pieces);
  EXPECT_EQ(ProofPieces(total, {{0, total}}), std::vector<ByteRange>{});
  EXPECT_EQ(ProofPieces(5, {}), (std::vector<ByteRange>{{0, 5}}));
  EXPECT_EQ(RangesOutside(total, {{0, kB}, {kB, kB + 5}, {3 * kB, total}}),
            (std::vector<ByteRange>{{kB + 5, 3 * kB}}));
  EXPECT_EQ(RangesOutside(total, {}), (std::vector<ByteRange>{{0, total}}));

  st.proofs = {{{0, kB}, 0xDEADBEEF}, {{kB, kB + 5}, 1}, {{3 * kB, total}, 7}};  // a piece may go unproved
  auto back = ParseState(FormatState(st));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, st);
  const std::vector<std::vector<RangeSum>> refused = {
      {{{kB, kB + 6}, 1}},                      // reaches into the missing bytes
      {{{0, 2 * kB}, 1}},                       // spans a block edge
      {{{3 * kB, total}, 1}, {{0, kB}, 1}},     // out of order
      {{{0, kB}, 1}, {{0, kB}, 1}},             // twice
      {{{0, kB / 2}, 1}},                       // not a whole piece
      {{{3 * kB, total + 1}, 1}},               // past the end
  };
  for (const auto& proofs : refused) {
    st.proofs = proofs;
    EXPECT_FALSE(ParseState(FormatState(st))) << FormatState(st);
  }
}

TEST(EngineThunder, DecodesThunderLinks) {
  // base64("AAhttp://h/a.isoZZ")
  EXPECT_EQ(DecodeThunderUrl("thunder://QUFodHRwOi8vaC9hLmlzb1pa"), "http://h/a.iso");
  EXPECT_EQ(DecodeThunderUrl("Thunder://QUFodHRwOi8vaC9hLmlzb1pa/"), "http://h/a.iso");
  EXPECT_FALSE(DecodeThunderUrl("http://h/a.iso"));
  EXPECT_FALSE(DecodeThunderUrl("thunder://aGVsbG8="));  // no AA..ZZ
  EXPECT_FALSE(DecodeThunderUrl("thunder://!!!"));
}

}  // namespace
}  // namespace lum::engine
