// Archives made by Info-ZIP and 7-Zip at test time, extracted through the
// platform's file operations and compared byte for byte with their sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "boot/zip_extract.h"
#include "tests/host/boot/folder_machine.h"

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
    WriteHostFile(src / "readme.txt", std::string("restore environment\r\n"));
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

  void SetUp() override { files_ = std::make_unique<FolderFiles>(dir_.path()); }

  // Puts an archive of the fixture at T:\a.zip.
  std::string Place(const std::string& variant) {
    fs::copy_file(fixture_->path() / (variant + ".zip"), files_->Host("T:\\a.zip"),
                  fs::copy_options::overwrite_existing);
    return "T:\\a.zip";
  }
  Bytes Source(const std::string& name) { return ReadHostFile(fixture_->path() / "src" / name); }
  std::vector<std::string> Written() {
    std::vector<std::string> names;
    for (const DirEntry& e : files_->List("C:\\")) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
  }
  bool Extract(const std::string& archive, const std::string& password, const std::string& mask) {
    return ExtractZipFiles(*files_, cp_, archive, password, "C:\\", mask);
  }

  static TempDir* fixture_;
  TempDir dir_;
  std::unique_ptr<FolderFiles> files_;
  IconvCodePage cp_;
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
      files_->DeleteTree("C:\\");
      fs::create_directories(files_->Host("C:\\"));
      ASSERT_TRUE(Extract(Place(v.name), kPassword, c.mask));
      ASSERT_EQ(Written(), c.expected);
      for (const std::string& name : c.expected)
        EXPECT_TRUE(ReadHostFile(files_->Host("C:\\" + name)) == Source(name)) << name;
    }
  }
}

TEST_F(ZipExtractTest, MissingBaseFoldersAreCreatedAndExistingFilesReplaced) {
  WriteHostFile(files_->Host("D:\\deep\\er\\wvldr"), std::string("an older loader"));
  ASSERT_TRUE(ExtractZipFiles(*files_, cp_, Place("infozip"), kPassword, "D:\\deep\\er\\", "wvldr"));
  EXPECT_TRUE(ReadHostFile(files_->Host("D:\\deep\\er\\wvldr")) == Source("wvldr"));
  ASSERT_TRUE(ExtractZipFiles(*files_, cp_, Place("7z_deflate"), kPassword, "E:\\new\\", "*.*"));
  EXPECT_TRUE(ReadHostFile(files_->Host("E:\\new\\Varnix.ima")) == Source("Varnix.ima"));
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
    files_->DeleteTree("C:\\");
    WriteHostFile(files_->Host("C:\\wvldr"), std::string("an older loader"));
    WriteHostFile(files_->Host("T:\\a.zip"), c.archive);
    EXPECT_THROW(Extract("T:\\a.zip", c.password, "*.*"), ZipError);
    EXPECT_EQ(Written(), std::vector<std::string>{"wvldr"});
    EXPECT_EQ(ReadHostFile(files_->Host("C:\\wvldr")), Bytes({'a', 'n', ' ', 'o', 'l', 'd', 'e', 'r', ' ', 'l', 'o', 'a', 'd', 'e', 'r'}));
  }
}

TEST_F(ZipExtractTest, MissingArchiveRaises) {
  EXPECT_THROW(Extract("T:\\none.zip", kPassword, "*.*"), ZipError);
}

// Info-ZIP reading from a pipe writes a Zip64 archive; the reader refuses it
// by name rather than misreading it.
TEST_F(ZipExtractTest, Zip64ArchiveIsRefused) {
  fs::path zip = dir_.path() / "stream.zip";
  ASSERT_TRUE(Shell("head -c 3000 /dev/urandom | zip -q -P J5RT8WQ3 " + zip.string() + " -"));
  fs::copy_file(zip, files_->Host("T:\\a.zip"));
  try {
    Extract("T:\\a.zip", kPassword, "*.*");
    FAIL() << "no error";
  } catch (const ZipError& e) {
    EXPECT_NE(std::string(e.what()).find("Zip64"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(Written().empty());
}

// A target that cannot be written raises; files completed before it stay whole,
// the rest and every temporary are gone. A disk that fills midway through a
// later entry raises before any target is touched.
TEST_F(ZipExtractTest, FailedWritesRaiseAndLeaveNoPartialFile) {
  files_->failWritesOf.insert("wvldr.mbr");
  EXPECT_THROW(Extract(Place("infozip"), kPassword, "*.*"), ZipError);
  EXPECT_EQ(Written(), std::vector<std::string>{"wvldr"});
  EXPECT_TRUE(ReadHostFile(files_->Host("C:\\wvldr")) == Source("wvldr"));

  files_->failWritesOf.clear();
  files_->DeleteTree("C:\\");
  fs::create_directories(files_->Host("C:\\"));
  files_->failAppendAfter["~lz2.tmp"] = 2;  // Varnix.ima is the third entry
  EXPECT_THROW(Extract(Place("infozip"), kPassword, "*.*"), ZipError);
  EXPECT_EQ(Written(), std::vector<std::string>{});
}

}  // namespace
}  // namespace lum::test
