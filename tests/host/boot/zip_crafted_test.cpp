// Archives crafted with Python's zipfile: stored paths that try to leave the
// target folder, names Windows cannot keep, methods the reader does not know
// and headers that contradict each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "boot/zip_archive.h"
#include "boot/zip_extract.h"
#include "tests/host/boot/test_support.h"

namespace fs = std::filesystem;

namespace lum::test {
namespace {

class ZipCraftedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_.AddDrive('T');
    baseline_ = HostFiles();
  }

  // Runs the crafting script with the output path and the arguments.
  void Craft(const std::string& out, const std::string& kase, const std::vector<std::string>& args) {
    std::string cmd = "python3 '" LUMORA_BOOT_TEST_DIR "/make_zip.py' '" + out + "' " + kase;
    for (const std::string& n : args) {
      std::string q;
      for (char c : n) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
      cmd += " '" + q + "'";
    }
    ASSERT_TRUE(Shell(cmd)) << cmd;
  }
  // Writes the crafted archive to T:\a.zip.
  void Make(const std::string& kase, const std::vector<std::string>& names = {}) {
    Craft(m_.Host("T:\\a.zip").string(), kase, names);
  }
  bool Extract(const std::string& mask = "*.*") {
    return ExtractZipFiles(m_.platform().files, m_.platform().codepage, "T:\\a.zip", "J5RT8WQ3",
                           "C:\\out\\", mask);
  }
  // Every file on the machine's drives, relative to its root, the archive left out.
  std::vector<std::string> HostFiles() {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(m_.Root()))
      if (e.is_regular_file() && e.path().filename() != "a.zip")
        out.push_back(fs::relative(e.path(), m_.Root()).generic_string());
    std::sort(out.begin(), out.end());
    return out;
  }
  // The files that appeared since the test began, with the drive as the first part.
  std::vector<std::string> AllFiles() {
    std::vector<std::string> now = HostFiles(), added;
    std::set_difference(now.begin(), now.end(), baseline_.begin(), baseline_.end(),
                        std::back_inserter(added));
    return added;
  }
  std::string ErrorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const ZipError& e) {
      return e.what();
    }
    return "(no error)";
  }

  sim::SimMachine m_;
  std::vector<std::string> baseline_;
};

TEST_F(ZipCraftedTest, StoredPathsLandInsideTheBaseFolder) {
  Make("names", {"../x1", "C:\\x2", "/etc/x3", "..\\..\\x4", "a/b/x5", "C:x6", "sub/",
                 "..\\sub\\"});
  ASSERT_TRUE(Extract());
  EXPECT_EQ(AllFiles(), (std::vector<std::string>{"C/out/x1", "C/out/x2", "C/out/x3", "C/out/x4",
                                                  "C/out/x5", "C/out/x6"}));
  EXPECT_EQ(ReadBytes(m_, "C:\\out\\x2").size(), 4000u + 5u);
}

TEST_F(ZipCraftedTest, NamesWindowsCannotKeepAreRefusedAndNothingIsWritten) {
  const std::vector<std::string> bad = {"..", "a/..", "x/.", "CON", "lpt1.txt", "nul.",
                                        "bad|name", "a<b", "tab\tname", "dot.", "blank "};
  TempDir made;
  Craft(made.path().string(), "each-name", bad);
  for (std::size_t i = 0; i < bad.size(); ++i) {
    SCOPED_TRACE(bad[i]);
    PutBytes(m_, "T:\\a.zip", ReadHostFile(made.path() / (std::to_string(i) + ".zip")));
    EXPECT_NE(ErrorOf([&] { Extract(); }).find("zip entry"), std::string::npos);
    EXPECT_TRUE(AllFiles().empty());
  }
}

TEST_F(ZipCraftedTest, DamagedOrForeignArchivesAreRefusedWithAClearError) {
  struct Case {
    const char* kase;
    const char* message;
  } cases[] = {
      {"bzip2", "unsupported compression method 12"},
      {"lzma", "unsupported compression method 14"},
      {"local-name-differs", "disagree on the name"},
      {"local-size-differs", "disagree on CRC or sizes"},
      {"declared-smaller", "longer than its declared size"},
      {"declared-larger", "shorter than its declared size"},
      {"count-wrong", "central directory"},
  };
  TempDir made;
  std::vector<std::string> kases;
  for (const Case& c : cases) kases.push_back(c.kase);
  Craft(made.path().string(), "each-case", kases);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kase);
    PutBytes(m_, "T:\\a.zip", ReadHostFile(made.path() / (std::string(c.kase) + ".zip")));
    std::string error = ErrorOf([&] { Extract(); });
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_TRUE(AllFiles().empty());
  }
}

// The reader stops at the declared size even while inflate has more to give.
TEST_F(ZipCraftedTest, ReaderNeverHandsOverMoreThanTheDeclaredSize) {
  Make("declared-smaller");
  ZipArchive zip(ReadBytes(m_, "T:\\a.zip"));
  ASSERT_EQ(zip.Entries().size(), 1u);
  std::size_t seen = 0;
  EXPECT_THROW(zip.Read(zip.Entries()[0], {}, [&](const std::uint8_t*, std::size_t n) { seen += n; }),
               ZipError);
  EXPECT_LE(seen, zip.Entries()[0].size);
}

TEST(ZipEntryTargetName, KeepsTheLastPartOfTheStoredName) {
  const std::pair<const char*, const char*> cases[] = {
      {"wvldr", "wvldr"},        {"dir/wvldr.mbr", "wvldr.mbr"}, {"..\\..\\boot.ini", "boot.ini"},
      {"D:\\x\\Varnix.ima", "Varnix.ima"}, {"C:x", "x"},        {"/etc/passwd", "passwd"},
      {"COM10", "COM10"},        {"console", "console"},         {"中文.txt", "中文.txt"},
  };
  for (const auto& [stored, target] : cases) EXPECT_EQ(ZipEntryTargetName(stored), target) << stored;
}

}  // namespace
}  // namespace lum::test
