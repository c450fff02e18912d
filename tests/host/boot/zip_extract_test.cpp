// Archives made by Info-ZIP and 7-Zip at test time, extracted through the
// platform's file operations and compared byte for byte with their sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "boot/zip_archive.h"
#include "boot/zip_extract.h"
#include "tests/host/boot/test_support.h"

namespace fs = std::filesystem;

namespace lum::test {
namespace {

const char kPassword[] = "J5RT8WQ3";
const std::vector<std::string> kAllFiles = {"wvldr", "wvldr.mbr", "Varnix.ima", "readme.txt",
                                            "noext"};

Bytes MixedBytes(std::size_t n, unsigned seed) {
  // Half random, half repetitive text, so that deflate has work to do.
  std::mt19937 rng(seed);
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i)
    b[i] = (i / 4096) % 2 ? static_cast<std::uint8_t>(rng()) : static_cast<std::uint8_t>("lumora boot "[i % 12]);
  return b;
}

struct Variant {
  const char* name;
  const char* command;  // run in the source folder; %s is the archive path
};

const Variant kVariants[] = {
    {"infozip", "zip -q -X -P J5RT8WQ3 %s wvldr wvldr.mbr Varnix.ima readme.txt noext"},
    {"infozip_descriptors", "zip -q -X -fd -P J5RT8WQ3 %s wvldr wvldr.mbr Varnix.ima readme.txt noext"},
    {"infozip_stored_descriptors",
     "zip -q -X -0 -fd -P J5RT8WQ3 %s wvldr wvldr.mbr Varnix.ima readme.txt noext"},
    {"infozip_stored", "zip -q -X -0 -P J5RT8WQ3 %s wvldr wvldr.mbr Varnix.ima readme.txt noext"},
    {"7z_deflate", "7z a -bd -bso0 -tzip -mem=ZipCrypto -pJ5RT8WQ3 %s wvldr wvldr.mbr Varnix.ima readme.txt noext"},
    {"7z_stored", "7z a -bd -bso0 -tzip -mx0 -mem=ZipCrypto -pJ5RT8WQ3 %s wvldr wvldr.mbr Varnix.ima readme.txt noext"},
};

class ZipExtractTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fixture_ = new TempDir;
    fs::path src = fixture_->path() / "src";
    WriteHostFile(src / "wvldr", MixedBytes(269869, 1));
    WriteHostFile(src / "wvldr.mbr", MixedBytes(9216, 2));
    Bytes ima(4423680, 0);
    Bytes noise = MixedBytes(200000, 3);
    std::copy(noise.begin(), noise.end(), ima.begin() + 512);
    WriteHostFile(src / "Varnix.ima", ima);
    WriteHostFile(src / "readme.txt", B("restore environment\r\n"));
    WriteHostFile(src / "noext", MixedBytes(777, 4));
    for (const Variant& v : kVariants) {
      fs::path zip = fixture_->path() / (std::string(v.name) + ".zip");
      char cmd[512];
      std::snprintf(cmd, sizeof cmd, v.command, zip.c_str());
      ASSERT_TRUE(Shell("cd " + src.string() + " && " + cmd)) << cmd;
    }
  }
  static void TearDownTestSuite() {
    delete fixture_;
    fixture_ = nullptr;
  }

  void SetUp() override {
    for (char d : {'D', 'E', 'T'}) m_.AddDrive(d);
  }

  // Puts an archive of the fixture at T:\a.zip.
  std::string Place(const std::string& variant) {
    PutBytes(m_, "T:\\a.zip", ReadHostFile(fixture_->path() / (variant + ".zip")));
    return "T:\\a.zip";
  }
  Bytes Source(const std::string& name) { return ReadHostFile(fixture_->path() / "src" / name); }
  // The files in the root of C: (its folders belong to the machine).
  std::vector<std::string> Written() {
    std::vector<std::string> names;
    for (const DirEntry& e : files().List("C:\\"))
      if (!e.isDir) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
  }
  void ClearC() {
    for (const std::string& name : Written()) files().Delete("C:\\" + name);
  }
  bool Extract(const std::string& archive, const std::string& password, const std::string& mask) {
    return ExtractZipFiles(files(), cp(), archive, password, "C:\\", mask);
  }
  IFiles& files() { return m_.platform().files; }
  ICodePage& cp() { return m_.platform().codepage; }

  static TempDir* fixture_;
  sim::SimMachine m_;
};
TempDir* ZipExtractTest::fixture_ = nullptr;

TEST_F(ZipExtractTest, EveryArchiveExtractsByteIdenticallyWithEachMask) {
  struct Case {
    const char* mask;
    std::vector<std::string> expected;  // sorted
  };
  const Case cases[] = {
      {"wvldr", {"wvldr"}},
      {"Varnix.ima", {"Varnix.ima"}},
      {"*.*", {"Varnix.ima", "noext", "readme.txt", "wvldr", "wvldr.mbr"}},
      {"WVLDR.MBR;*.txt", {"readme.txt", "wvldr.mbr"}},
      {"w?ldr", {"wvldr"}},
      {"nothing.here", {}},
  };
  for (const Variant& v : kVariants) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(v.name) + " mask " + c.mask);
      ClearC();
      ASSERT_TRUE(Extract(Place(v.name), kPassword, c.mask));
      ASSERT_EQ(Written(), c.expected);
      for (const std::string& name : c.expected)
        EXPECT_TRUE(ReadBytes(m_, "C:\\" + name) == Source(name)) << name;
    }
  }
}

TEST_F(ZipExtractTest, MissingBaseFoldersAreCreatedAndExistingFilesReplaced) {
  m_.PutFile("D:\\deep\\er\\wvldr", "an older loader");
  ASSERT_TRUE(ExtractZipFiles(files(), cp(), Place("infozip"), kPassword, "D:\\deep\\er\\", "wvldr"));
  EXPECT_TRUE(ReadBytes(m_, "D:\\deep\\er\\wvldr") == Source("wvldr"));
  ASSERT_TRUE(ExtractZipFiles(files(), cp(), Place("7z_deflate"), kPassword, "E:\\new\\", "*.*"));
  EXPECT_TRUE(ReadBytes(m_, "E:\\new\\Varnix.ima") == Source("Varnix.ima"));
}

// A wrong password, a cut archive and a changed byte all raise, and leave the
// target folder as it was: no new file, no temporary, the older file intact.
TEST_F(ZipExtractTest, BrokenArchivesRaiseAndWriteNothing) {
  const Bytes good = ReadHostFile(fixture_->path() / "infozip.zip");
  const Bytes goodDd = ReadHostFile(fixture_->path() / "infozip_descriptors.zip");
  const Bytes good7z = ReadHostFile(fixture_->path() / "7z_deflate.zip");
  struct Case {
    const char* what;
    Bytes archive;
    const char* password;
  };
  std::vector<Case> cases;
  cases.push_back({"wrong password", good, "J5RT8WQ4"});
  cases.push_back({"wrong password, descriptors", goodDd, "j5rt8wq3"});
  cases.push_back({"wrong password, 7z", good7z, ""});
  cases.push_back({"truncated", Bytes(good.begin(), good.begin() + good.size() / 2), kPassword});
  cases.push_back({"truncated end record", Bytes(good.begin(), good.end() - 5), kPassword});
  for (const Bytes* src : {&good, &goodDd, &good7z}) {
    // Bytes inside the data of the last entries, after the first entries.
    for (double at : {0.5, 0.9}) {
      Bytes flipped = *src;
      flipped[static_cast<std::size_t>(flipped.size() * at)] ^= 0x01;
      cases.push_back({"flipped byte", flipped, kPassword});
    }
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClearC();
    m_.PutFile("C:\\wvldr", "an older loader");
    PutBytes(m_, "T:\\a.zip", c.archive);
    EXPECT_THROW(Extract("T:\\a.zip", c.password, "*.*"), ZipError);
    EXPECT_EQ(Written(), std::vector<std::string>{"wvldr"});
    EXPECT_EQ(m_.ReadFile("C:\\wvldr"), "an older loader");
  }
}

// One wrong password in 256 passes the check byte; inflate or the CRC must
// still stop it before anything is written.
TEST_F(ZipExtractTest, WrongPasswordThatPassesTheCheckByteStillRaises) {
  for (const char* variant : {"infozip", "infozip_descriptors", "7z_deflate"}) {
    SCOPED_TRACE(variant);
    ZipArchive zip(ReadHostFile(fixture_->path() / (std::string(variant) + ".zip")));
    std::string passes;
    for (int i = 0; i < 100000 && passes.empty(); ++i) {
      std::string pw = "pw" + std::to_string(i);
      try {
        zip.Read(zip.Entries()[0], B(pw), [](const std::uint8_t*, std::size_t) {});
        passes = pw;
      } catch (const ZipError& e) {
        if (std::string(e.what()).find("wrong password") == std::string::npos) passes = pw;
      }
    }
    ASSERT_FALSE(passes.empty());
    ClearC();
    EXPECT_THROW(Extract(Place(variant), passes, "*.*"), ZipError);
    EXPECT_TRUE(Written().empty());
  }
}

TEST_F(ZipExtractTest, MissingArchiveRaises) {
  EXPECT_THROW(Extract("T:\\none.zip", kPassword, "*.*"), ZipError);
}

// Info-ZIP reading from a pipe writes a Zip64 archive; the reader refuses it
// by name rather than misreading it.
TEST_F(ZipExtractTest, Zip64ArchiveIsRefused) {
  TempDir dir;
  fs::path zip = dir.path() / "stream.zip";
  ASSERT_TRUE(Shell("head -c 3000 /dev/urandom | zip -q -P J5RT8WQ3 " + zip.string() + " -"));
  PutBytes(m_, "T:\\a.zip", ReadHostFile(zip));
  try {
    Extract("T:\\a.zip", kPassword, "*.*");
    FAIL() << "no error";
  } catch (const ZipError& e) {
    EXPECT_NE(std::string(e.what()).find("Zip64"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(Written().empty());
}

// Entries named like the temporary files, and such a file already in the
// target folder: each entry still lands whole under its own name, and the
// file that was there is left alone.
TEST_F(ZipExtractTest, TemporaryNamesNeverMeetEntriesOrFilesInTheFolder) {
  TempDir dir;
  WriteHostFile(dir.path() / "~lz1.tmp", MixedBytes(5000, 7));
  WriteHostFile(dir.path() / "~lz0.tmp", MixedBytes(3000, 8));
  WriteHostFile(dir.path() / "wvldr", MixedBytes(7000, 9));
  WriteHostFile(dir.path() / "readme.txt", B("restore environment\r\n"));
  const fs::path zip = dir.path() / "names.zip";
  ASSERT_TRUE(Shell("cd " + dir.path().string() + " && zip -q -X -P J5RT8WQ3 " + zip.string() +
                    " '~lz1.tmp' wvldr '~lz0.tmp' readme.txt"));
  PutBytes(m_, "T:\\a.zip", ReadHostFile(zip));
  m_.PutFile("C:\\~lz2.tmp", "a file of the user");
  ASSERT_TRUE(Extract("T:\\a.zip", kPassword, "*.*"));
  EXPECT_EQ(Written(), (std::vector<std::string>{"readme.txt", "wvldr", "~lz0.tmp", "~lz1.tmp", "~lz2.tmp"}));
  for (const char* name : {"~lz1.tmp", "wvldr", "~lz0.tmp", "readme.txt"})
    EXPECT_TRUE(ReadBytes(m_, std::string("C:\\") + name) == ReadHostFile(dir.path() / name)) << name;
  EXPECT_EQ(m_.ReadFile("C:\\~lz2.tmp"), "a file of the user");
}

// A target that cannot be written raises; files completed before it stay whole,
// the rest and every temporary are gone. A disk that fills midway through a
// later entry raises before any target is touched.
TEST_F(ZipExtractTest, FailedWritesRaiseAndLeaveNoPartialFile) {
  m_.Fail("files.Move", "wvldr.mbr");
  EXPECT_THROW(Extract(Place("infozip"), kPassword, "*.*"), ZipError);
  EXPECT_EQ(Written(), std::vector<std::string>{"wvldr"});
  EXPECT_TRUE(ReadBytes(m_, "C:\\wvldr") == Source("wvldr"));

  m_.ClearFailures();
  ClearC();
  m_.Fail("files.Append", "~lz2.tmp", err::DiskFull);  // Varnix.ima is the third entry, in the third temporary
  EXPECT_THROW(Extract(Place("infozip"), kPassword, "*.*"), ZipError);
  EXPECT_EQ(Written(), std::vector<std::string>{});
}

}  // namespace
}  // namespace lum::test
