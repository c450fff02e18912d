// The expected digests: the table a packager compiles in (here built from
// digests_input/good.txt by the same CMake function as the program's) and the
// server's SHA256SUMS list, which must parse or count as no list at all.
#include <gtest/gtest.h>

#include "download/digests.h"

namespace lum {
namespace {

TEST(Digests, CompiledTableKeepsSizeAndDigestAndIgnoresCase) {
  const DigestList& table = BuiltInDigests();
  ASSERT_EQ(table.size(), 2u);
  std::optional<FileDigest> d = FindDigest(table, "WIN7X64.GHO");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->size, 4284481536u);
  EXPECT_EQ(Sha256Hex(d->sha256), "3a7bd3e2360a3d29eea436fcfb7e44c735d117c42d1c1835420b6b9942dd4f1b");
  d = FindDigest(table, "krp8pe6f.iso");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->size, 300u);
  EXPECT_FALSE(FindDigest(table, "win10x64.gho"));
}

TEST(Digests, Sha256SumsParsesOrIsRefusedWhole) {
  const std::string a(64, 'a'), b(64, 'B');
  struct Case {
    const char* what;
    std::string text;
    bool parses;
    std::size_t entries;
  };
  const std::vector<Case> cases = {
      {"text mode, LF", a + "  win7x64.gho\n" + b + "  KRP8PE6F.ISO\n", true, 2},
      {"binary mode, CR LF, blank lines", "\r\n" + a + " *win7x64.gho\r\n\r\n", true, 1},
      {"a ./ in front of the name", a + "  ./winxp.gho\n", true, 1},
      {"no line end at the end", a + "  winxp.gho", true, 1},
      {"an HTML page", "<!DOCTYPE html>\n<html><body>Please log in</body></html>\n", false, 0},
      {"empty", "", false, 0},
      {"only blank lines", "\n \r\n", false, 0},
      {"one good line and one cut short", a + "  winxp.gho\n" + a.substr(0, 40) + "\n", false, 0},
      {"a hash of 63 digits", a.substr(1) + "  winxp.gho\n", false, 0},
      {"not hex", std::string(64, 'g') + "  winxp.gho\n", false, 0},
      {"one blank only", a + " winxp.gho\n", false, 0},
      {"a path in the name", a + "  sub/winxp.gho\n", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DigestList out{{"LEFT", {}}};
    EXPECT_EQ(ParseSha256Sums(c.text, out), c.parses);
    EXPECT_EQ(out.size(), c.entries);
  }
  DigestList out;
  ASSERT_TRUE(ParseSha256Sums(a + "  win7x64.gho\n", out));
  std::optional<FileDigest> d = FindDigest(out, "Win7x64.GHO");
  ASSERT_TRUE(d);
  EXPECT_FALSE(d->size);  // the list carries no size
  EXPECT_EQ(Sha256Hex(d->sha256), a);
}

}  // namespace
}  // namespace lum
