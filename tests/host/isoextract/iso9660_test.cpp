// The ISO 9660 reader over images made by xorriso: the name forms it finds,
// the data it streams, multi-extent files, and damaged or hostile images.
#include <gtest/gtest.h>

#include "tests/host/isoextract/iso_fixture.h"
#include "tools/isoextract/iso9660.h"

namespace lum {
namespace {

using test::ByteVec;

const ByteVec kWim = test::Pattern(300000, 1);
const ByteVec kBig = test::Pattern(5 * 1024 * 1024 + 123, 2);

void MakeTree(const std::string& dir) {
  test::WriteFile(dir + "/BOOT/KRP8PE6L.WIM", kWim);
  test::WriteText(dir + "/BOOT/other.txt", "other");
  test::WriteText(dir + "/sub/Deeper/more/lowercase_long_name.txt", "deep text");
  test::WriteText(dir + "/Mixed/MixedCase.Txt", "mixed");
  test::WriteText(dir + "/README", "no extension");
  test::WriteFile(dir + "/big.bin", kBig);
}

ByteVec Extract(IsoImage& iso, const std::string& path, IsoError* error = nullptr,
                std::string* name = nullptr) {
  IsoEntry e;
  IsoError r = iso.Find(path, e);
  if (r == IsoError::None && e.isDir) r = IsoError::NotAFile;
  MemorySink sink;
  if (r == IsoError::None) r = iso.Copy(e, sink);
  if (error) *error = r;
  if (name) *name = e.name;
  return sink.bytes;
}

struct Variant {
  const char* options;
  bool longNames;  // Rock Ridge or Joliet present
  bool joliet;
};

class IsoVariants : public ::testing::TestWithParam<Variant> {};

TEST_P(IsoVariants, FindsFilesByEveryNameForm) {
  test::TempDir tmp;
  MakeTree(tmp / "src");
  test::MakeIso(tmp / "src", tmp / "x.iso", GetParam().options);
  ByteVec bytes = test::ReadFile(tmp / "x.iso");
  MemoryReadAt image(bytes.data(), bytes.size());
  IsoImage iso(image);
  ASSERT_EQ(iso.Open(), IsoError::None);
  EXPECT_EQ(iso.HasJoliet(), GetParam().joliet);

  struct Case {
    const char* path;
    const char* content;  // nullptr: the WIM
    bool needsLongNames;
  };
  const Case cases[] = {
      {"/BOOT/KRP8PE6L.WIM", nullptr, false},
      {"/boot/krp8pe6l.wim", nullptr, false},
      {"\\BOOT\\KRP8PE6L.WIM", nullptr, false},
      {"BOOT//KRP8PE6L.WIM", nullptr, false},
      {"/README", "no extension", false},
      {"/readme", "no extension", false},
      {"/MIXED/MIXEDCASE.TXT", "mixed", true},  // nine letters: cut on level 1
      {"/Mixed/MixedCase.Txt", "mixed", true},
      {"/sub/Deeper/more/lowercase_long_name.txt", "deep text", true},
      {"/SUB/DEEPER/MORE/LOWERCASE_LONG_NAME.TXT", "deep text", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    IsoError err;
    ByteVec got = Extract(iso, c.path, &err);
    if (c.needsLongNames && !GetParam().longNames) {
      EXPECT_EQ(err, IsoError::NotFound);
      continue;
    }
    ASSERT_EQ(err, IsoError::None) << IsoErrorText(err);
    if (c.content)
      EXPECT_EQ(std::string(got.begin(), got.end()), c.content);
    else
      EXPECT_EQ(got, kWim);
  }
  if (!GetParam().longNames) {
    // Level-1 names: the long name is cut to eight characters.
    EXPECT_EQ(Extract(iso, "/SUB/DEEPER/MORE/LOWERCAS.TXT"), ByteVec({'d', 'e', 'e', 'p', ' ', 't', 'e', 'x', 't'}));
  }

  const char* missing[] = {"/BOOT/KRP8PE6L.WI", "/BOOT/KRP8PE6L.WIM;1x", "/NOPE/KRP8PE6L.WIM", "/BOOT/X"};
  for (const char* p : missing) {
    IsoError err;
    Extract(iso, p, &err);
    EXPECT_EQ(err, IsoError::NotFound) << p;
  }
  IsoError err;
  Extract(iso, "/BOOT", &err);
  EXPECT_EQ(err, IsoError::NotAFile);
  Extract(iso, "/README/X", &err);
  EXPECT_EQ(err, IsoError::NotADirectory);
  for (const char* p : {"/", "", "/BOOT/../BOOT/KRP8PE6L.WIM", "/./README"}) {
    Extract(iso, p, &err);
    EXPECT_EQ(err, IsoError::BadPath) << p;
  }
}

TEST_P(IsoVariants, StreamsALargeFileInBoundedPieces) {
  test::TempDir tmp;
  MakeTree(tmp / "src");
  test::MakeIso(tmp / "src", tmp / "x.iso", GetParam().options);
  ByteVec bytes = test::ReadFile(tmp / "x.iso");
  MemoryReadAt image(bytes.data(), bytes.size());
  IsoImage iso(image);
  ASSERT_EQ(iso.Open(), IsoError::None);
  IsoEntry e;
  ASSERT_EQ(iso.Find("/BIG.BIN", e), IsoError::None);
  EXPECT_EQ(e.size, kBig.size());

  struct PieceSink : IWriteSink {
    bool Write(const void* d, std::size_t n) override {
      largest = std::max(largest, n);
      ++pieces;
      auto* p = static_cast<const std::uint8_t*>(d);
      bytes.insert(bytes.end(), p, p + n);
      return true;
    }
    std::size_t largest = 0, pieces = 0;
    ByteVec bytes;
  } sink;
  ASSERT_EQ(iso.Copy(e, sink, 64 * 1024), IsoError::None);
  EXPECT_LE(sink.largest, 64u * 1024);
  EXPECT_GT(sink.pieces, 80u);
  EXPECT_EQ(sink.bytes, kBig);
}

INSTANTIATE_TEST_SUITE_P(Xorriso, IsoVariants,
                         ::testing::Values(Variant{"-J -R", true, true}, Variant{"-R", true, false},
                                           Variant{"--norock -J", true, true},
                                           Variant{"--norock", false, false}),
                         [](const auto& info) {
                           std::string n = info.param.options;
                           std::string out;
                           for (char c : n)
                             if (isalnum(static_cast<unsigned char>(c))) out += c;
                           return out;
                         });

TEST(Iso9660, ListsADirectory) {
  test::TempDir tmp;
  MakeTree(tmp / "src");
  test::MakeIso(tmp / "src", tmp / "x.iso", "-J -R");
  ByteVec bytes = test::ReadFile(tmp / "x.iso");
  MemoryReadAt image(bytes.data(), bytes.size());
  IsoImage iso(image);
  ASSERT_EQ(iso.Open(), IsoError::None);
  IsoEntry boot;
  ASSERT_EQ(iso.Find("/boot", boot), IsoError::None);
  std::vector<IsoEntry> entries;
  ASSERT_EQ(iso.List(boot, entries, 100), IsoError::None);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "KRP8PE6L.WIM");
  EXPECT_EQ(entries[0].size, kWim.size());
  EXPECT_EQ(entries[1].name, "other.txt");
  ASSERT_EQ(iso.List(iso.Root(), entries, 100), IsoError::None);
  EXPECT_EQ(entries.size(), 5u);
}

// A plain image with two files whose records sit side by side; patched into
// one file of two extents, as a writer does for a file of 4 GiB and more.
TEST(Iso9660, JoinsTheExtentsOfAMultiExtentFile) {
  test::TempDir tmp;
  ByteVec a = test::Pattern(4096, 7), b = test::Pattern(5000, 8);
  test::WriteFile(tmp / "src/PARTA.BIN", a);
  test::WriteFile(tmp / "src/PARTB.BIN", b);
  test::MakeIso(tmp / "src", tmp / "x.iso", "--norock");
  ByteVec img = test::ReadFile(tmp / "x.iso");
  long ra = test::FindRecord(img, "PARTA.BIN;1"), rb = test::FindRecord(img, "PARTB.BIN;1");
  ASSERT_GE(ra, 0);
  ASSERT_EQ(rb, ra + img[std::size_t(ra)]);  // the next record
  img[std::size_t(ra) + 25] |= 0x80;
  img[std::size_t(rb) + 33 + 4] = 'A';  // PARTB -> PARTA

  MemoryReadAt image(img.data(), img.size());
  IsoImage iso(image);
  ASSERT_EQ(iso.Open(), IsoError::None);
  IsoEntry e;
  ASSERT_EQ(iso.Find("/parta.bin", e), IsoError::None);
  ASSERT_EQ(e.extents.size(), 2u);
  EXPECT_EQ(e.size, a.size() + b.size());
  MemorySink sink;
  ASSERT_EQ(iso.Copy(e, sink, 1000), IsoError::None);
  ByteVec both = a;
  both.insert(both.end(), b.begin(), b.end());
  EXPECT_EQ(sink.bytes, both);

  // The last record of the directory cannot promise a continuation.
  img[std::size_t(rb) + 25] |= 0x80;
  IsoImage iso2(image);
  ASSERT_EQ(iso2.Open(), IsoError::None);
  EXPECT_EQ(iso2.Find("/PARTA.BIN", e), IsoError::BadRecord);
}

// Damaged and hostile images: each patch of a plain image must end in the
// named error, never in a crash, a read outside the image or an endless walk.
TEST(Iso9660, RejectsDamagedAndHostileImages) {
  test::TempDir tmp;
  MakeTree(tmp / "src");
  test::WriteText(tmp / "src/BOOT/SUB1/SUB2/F.TXT", "f");
  test::MakeIso(tmp / "src", tmp / "x.iso", "--norock");
  const ByteVec base = test::ReadFile(tmp / "x.iso");
  const long wim = test::FindRecord(base, "KRP8PE6L.WIM;1");
  const long bootDir = test::FindRecord(base, "BOOT");
  const long sub1 = test::FindRecord(base, "SUB1");
  ASSERT_GT(wim, 0);
  ASSERT_GT(bootDir, 0);
  ASSERT_GT(sub1, 0);
  const std::size_t pvd = 16 * 2048;
  const std::uint32_t rootLba = test::GetLe32(base, pvd + 156 + 2);
  const std::uint32_t imageBlocks = std::uint32_t(base.size() / 2048);

  struct Case {
    const char* what;
    void (*patch)(ByteVec& img, long wim, long bootDir, long sub1, std::uint32_t rootLba, std::uint32_t blocks);
    const char* path;
    IsoError open;  // expected from Open
    IsoError find;  // expected from Find (when Open succeeds)
  };
  const Case cases[] = {
      {"cut before the descriptors", [](ByteVec& i, long, long, long, std::uint32_t, std::uint32_t) { i.resize(16 * 2048 + 100); },
       "/BOOT/KRP8PE6L.WIM", IsoError::NotIso, IsoError::None},
      {"no CD001", [](ByteVec& i, long, long, long, std::uint32_t, std::uint32_t) { i[16 * 2048 + 1] = 'X'; },
       "/BOOT/KRP8PE6L.WIM", IsoError::NotIso, IsoError::None},
      {"empty file", [](ByteVec& i, long, long, long, std::uint32_t, std::uint32_t) { i.clear(); },
       "/BOOT/KRP8PE6L.WIM", IsoError::NotIso, IsoError::None},
      {"block size 512", [](ByteVec& i, long, long, long, std::uint32_t, std::uint32_t) { i[16 * 2048 + 128] = 0; i[16 * 2048 + 129] = 2; },
       "/BOOT/KRP8PE6L.WIM", IsoError::BadBlockSize, IsoError::None},
      {"root record too short", [](ByteVec& i, long, long, long, std::uint32_t, std::uint32_t) { i[16 * 2048 + 156] = 10; },
       "/BOOT/KRP8PE6L.WIM", IsoError::BadRecord, IsoError::None},
      {"root past the end", [](ByteVec& i, long, long, long, std::uint32_t, std::uint32_t b) { test::PutBoth32(i, 16 * 2048 + 156 + 2, b + 5); },
       "/BOOT/KRP8PE6L.WIM", IsoError::ExtentOutsideImage, IsoError::None},
      {"root size past the end", [](ByteVec& i, long, long, long, std::uint32_t, std::uint32_t) { test::PutBoth32(i, 16 * 2048 + 156 + 10, 0xFFFFF800u); },
       "/BOOT/KRP8PE6L.WIM", IsoError::ExtentOutsideImage, IsoError::None},
      {"file extent past the end", [](ByteVec& i, long w, long, long, std::uint32_t, std::uint32_t b) { test::PutBoth32(i, std::size_t(w) + 2, b - 1); },
       "/BOOT/KRP8PE6L.WIM", IsoError::None, IsoError::ExtentOutsideImage},
      {"file length past the end", [](ByteVec& i, long w, long, long, std::uint32_t, std::uint32_t) { test::PutBoth32(i, std::size_t(w) + 10, 0xFFFFFFFFu); },
       "/BOOT/KRP8PE6L.WIM", IsoError::None, IsoError::ExtentOutsideImage},
      {"record reaches past the end of its directory", [](ByteVec& i, long w, long d, long, std::uint32_t, std::uint32_t) {
         std::uint32_t inDir = std::uint32_t(w % 2048);  // the record's place in BOOT's first sector
         test::PutBoth32(i, std::size_t(d) + 10, inDir + 10); },
       "/BOOT/KRP8PE6L.WIM", IsoError::None, IsoError::BadRecord},
      {"record length below the minimum", [](ByteVec& i, long w, long, long, std::uint32_t, std::uint32_t) { i[std::size_t(w)] = 20; },
       "/BOOT/KRP8PE6L.WIM", IsoError::None, IsoError::BadRecord},
      {"name longer than its record", [](ByteVec& i, long w, long, long, std::uint32_t, std::uint32_t) { i[std::size_t(w) + 32] = 250; },
       "/BOOT/KRP8PE6L.WIM", IsoError::None, IsoError::BadRecord},
      {"name length zero", [](ByteVec& i, long w, long, long, std::uint32_t, std::uint32_t) { i[std::size_t(w) + 32] = 0; },
       "/BOOT/KRP8PE6L.WIM", IsoError::None, IsoError::BadRecord},
      {"directory past the end", [](ByteVec& i, long, long d, long, std::uint32_t, std::uint32_t b) { test::PutBoth32(i, std::size_t(d) + 2, b + 100); },
       "/BOOT/KRP8PE6L.WIM", IsoError::None, IsoError::ExtentOutsideImage},
      {"directory is its own child", [](ByteVec& i, long, long, long s, std::uint32_t, std::uint32_t) {
         // SUB1 points back at BOOT's extent.
         std::uint32_t bootLba = test::GetLe32(i, std::size_t(test::FindRecord(i, "BOOT")) + 2);
         test::PutBoth32(i, std::size_t(s) + 2, bootLba); },
       "/BOOT/SUB1/SUB1/SUB1/F.TXT", IsoError::None, IsoError::DirectoryLoop},
      {"directory points at the root", [](ByteVec& i, long, long d, long, std::uint32_t r, std::uint32_t) { test::PutBoth32(i, std::size_t(d) + 2, r); },
       "/BOOT/BOOT/BOOT/KRP8PE6L.WIM", IsoError::None, IsoError::DirectoryLoop},
      {"interleaved file", [](ByteVec& i, long w, long, long, std::uint32_t, std::uint32_t) { i[std::size_t(w) + 26] = 1; i[std::size_t(w) + 27] = 1; },
       "/BOOT/KRP8PE6L.WIM", IsoError::None, IsoError::Unsupported},
      {"a file where a directory should be", [](ByteVec& i, long, long d, long, std::uint32_t, std::uint32_t) { i[std::size_t(d) + 25] &= ~0x02; },
       "/BOOT/KRP8PE6L.WIM", IsoError::None, IsoError::NotADirectory},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ByteVec img = base;
    c.patch(img, wim, bootDir, sub1, rootLba, imageBlocks);
    MemoryReadAt image(img.data(), img.size());
    IsoImage iso(image);
    IsoError open = iso.Open();
    ASSERT_EQ(open, c.open) << IsoErrorText(open);
    if (open != IsoError::None) continue;
    IsoError err;
    Extract(iso, c.path, &err);
    EXPECT_EQ(err, c.find) << IsoErrorText(err);
  }

  // Depth: far more path elements than any image may nest.
  MemoryReadAt image(base.data(), base.size());
  IsoImage iso(image);
  ASSERT_EQ(iso.Open(), IsoError::None);
  std::string deep;
  for (int i = 0; i < 100; ++i) deep += "/BOOT";
  IsoEntry e;
  EXPECT_EQ(iso.Find(deep, e), IsoError::PathTooDeep);
}

// Every directory loop through the root: a lookup of any length ends.
TEST(Iso9660, DirectoryLoopsEndWithinTheFirstRepeat) {
  test::TempDir tmp;
  test::WriteText(tmp / "src/A/B/F", "f");
  test::MakeIso(tmp / "src", tmp / "x.iso", "--norock");
  ByteVec img = test::ReadFile(tmp / "x.iso");
  long b = test::FindRecord(img, "B");
  ASSERT_GT(b, 0);
  test::PutBoth32(img, std::size_t(b) + 2, test::GetLe32(img, 16 * 2048 + 156 + 2));  // B is the root
  MemoryReadAt image(img.data(), img.size());
  IsoImage iso(image);
  ASSERT_EQ(iso.Open(), IsoError::None);
  IsoEntry e;
  EXPECT_EQ(iso.Find("/A/B/A/B/F", e), IsoError::DirectoryLoop);
  EXPECT_EQ(iso.Find("/A/B", e), IsoError::DirectoryLoop);
  EXPECT_EQ(iso.Find("/A/F", e), IsoError::NotFound);
}

// A broken Joliet tree costs only the Joliet names; the primary tree still answers.
TEST(Iso9660, FallsBackToThePrimaryTreeWhenJolietIsDamaged) {
  test::TempDir tmp;
  MakeTree(tmp / "src");
  test::MakeIso(tmp / "src", tmp / "x.iso", "-J -R");
  ByteVec img = test::ReadFile(tmp / "x.iso");
  std::size_t svd = 0;
  for (std::size_t s = 17; s < 32; ++s)
    if (img[s * 2048] == 2) svd = s * 2048;
  ASSERT_NE(svd, 0u);
  test::PutBoth32(img, svd + 156 + 2, std::uint32_t(img.size() / 2048) + 10);
  MemoryReadAt image(img.data(), img.size());
  IsoImage iso(image);
  ASSERT_EQ(iso.Open(), IsoError::None);
  EXPECT_FALSE(iso.HasJoliet());
  EXPECT_EQ(Extract(iso, "/sub/deeper/more/LOWERCASE_LONG_NAME.TXT").size(), 9u);  // Rock Ridge name
}

}  // namespace
}  // namespace lum
