// The extraction tool as the UEFI chain runs it: its command line, the file it
// writes, and what it leaves behind when anything goes wrong.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/host/isoextract/iso_fixture.h"
#include "tools/common/command_line.h"
#include "tools/isoextract/extract_tool.h"
#include "tools/isoextract/posix/extract_files_posix.h"

namespace lum {
namespace {

using test::ByteVec;

class ExtractTool : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(tmp / "src/BOOT/KRP8PE6L.WIM", wim);
    test::WriteText(tmp / "src/BOOT/x.txt", "x");
    test::MakeIso(tmp / "src", tmp / "KRP8PE6F.ISO", "-J -R");
    std::filesystem::create_directories(tmp / "BOOT");
  }

  // The chain's own line, with host paths in place of S and T.
  std::vector<std::string> ChainArgs(const std::string& iso, const std::string& dir) {
    std::string line = "C:\\Windows\\Temp\\krpiso.krp  -silent -in " + iso +
                       " -get /BOOT/KRP8PE6L.WIM -unattend -extract " + dir;
    std::vector<std::string> args;
    for (auto& a : SplitArguments(SkipProgramName(line, "krpiso.krp"))) args.push_back(a.text);
    return args;
  }

  test::TempDir tmp;
  ByteVec wim = test::Pattern(3 * 1024 * 1024 + 17, 3);
  PosixExtractFiles files;
};

TEST_F(ExtractTool, WritesTheRequestedFileIntoTheFolder) {
  auto args = ChainArgs(tmp / "KRP8PE6F.ISO", tmp / "BOOT");
  EXPECT_EQ(args, (std::vector<std::string>{"-silent", "-in", tmp / "KRP8PE6F.ISO", "-get", "/BOOT/KRP8PE6L.WIM",
                                            "-unattend", "-extract", tmp / "BOOT"}));
  ExtractResult r = RunIsoExtract(args, files);
  ASSERT_EQ(r.exitCode, isoexit::Ok) << r.message;
  EXPECT_EQ(r.written, tmp / "BOOT/KRP8PE6L.WIM");
  EXPECT_EQ(test::ReadFile(tmp / "BOOT/KRP8PE6L.WIM"), wim);
  EXPECT_EQ(test::ListDir(tmp / "BOOT"), std::vector<std::string>{"KRP8PE6L.WIM"});

  // A second run replaces the older copy.
  test::WriteText(tmp / "BOOT/KRP8PE6L.WIM", "old");
  ASSERT_EQ(RunIsoExtract(args, files).exitCode, isoexit::Ok);
  EXPECT_EQ(test::ReadFile(tmp / "BOOT/KRP8PE6L.WIM"), wim);
}

TEST_F(ExtractTool, AcceptsOptionsInAnyOrderAndQuotedPaths) {
  std::string line = "-EXTRACT \"" + (tmp / "BOOT") + "\" -Get \"/boot/x.txt\" -in \"" + (tmp / "KRP8PE6F.ISO") + "\"";
  std::vector<std::string> args;
  for (auto& a : SplitArguments(line)) args.push_back(a.text);
  ExtractResult r = RunIsoExtract(args, files);
  ASSERT_EQ(r.exitCode, isoexit::Ok) << r.message;
  EXPECT_EQ(test::ReadFile(tmp / "BOOT/x.txt"), ByteVec{'x'});
}

TEST_F(ExtractTool, RefusesCommandLinesItDoesNotKnow) {
  const std::string iso = tmp / "KRP8PE6F.ISO", dir = tmp / "BOOT";
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"-silent"},
      {"-in", iso, "-get", "/BOOT/KRP8PE6L.WIM"},                                  // no -extract
      {"-in", iso, "-get", "/BOOT/KRP8PE6L.WIM", "-extract"},                      // no value
      {"-in", iso, "-in", iso, "-get", "/BOOT/KRP8PE6L.WIM", "-extract", dir},     // twice
      {"-in", iso, "-get", "/BOOT/KRP8PE6L.WIM", "-extract", dir, "-force"},       // unknown
      {"-in", iso, "-get", "/BOOT/KRP8PE6L.WIM", "-extract", dir, "stray"},
  };
  for (const auto& args : bad) {
    ExtractResult r = RunIsoExtract(args, files);
    EXPECT_EQ(r.exitCode, isoexit::Usage) << (args.empty() ? "" : args.back()) << ": " << r.message;
  }
  EXPECT_TRUE(test::ListDir(dir).empty());
}

// Each failure exits non-zero and leaves no file named as the requested one:
// not a partial file, not a temporary, not an older copy the caller would
// take for a fresh extraction.
TEST_F(ExtractTool, LeavesNoOutputOnFailure) {
  ByteVec broken = test::ReadFile(tmp / "KRP8PE6F.ISO");
  broken[16 * 2048 + 1] = 'X';
  test::WriteFile(tmp / "broken.iso", broken);
  test::WriteText(tmp / "plain.txt", "not an image");
  struct Case {
    std::string in, get, dir;
    int exit;
  };
  const Case cases[] = {
      {tmp / "missing.iso", "/BOOT/KRP8PE6L.WIM", tmp / "BOOT", isoexit::BadImage},
      {tmp / "broken.iso", "/BOOT/KRP8PE6L.WIM", tmp / "BOOT", isoexit::BadImage},
      {tmp / "plain.txt", "/BOOT/KRP8PE6L.WIM", tmp / "BOOT", isoexit::BadImage},
      {tmp / "src", "/BOOT/KRP8PE6L.WIM", tmp / "BOOT", isoexit::BadImage},  // a folder
      {tmp / "KRP8PE6F.ISO", "/BOOT/KRP8PE6L.WIM", tmp / "nofolder", isoexit::OutputFailed},
      {tmp / "KRP8PE6F.ISO", "/BOOT/NOPE.WIM", tmp / "BOOT", isoexit::NotFound},
      {tmp / "KRP8PE6F.ISO", "/BOOT", tmp / "BOOT", isoexit::NotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in + " " + c.get);
    std::string name = c.get.substr(c.get.rfind('/') + 1);
    test::WriteText(tmp / ("BOOT/" + name), "stale");
    ExtractResult r = RunIsoExtract({"-silent", "-in", c.in, "-get", c.get, "-unattend", "-extract", c.dir}, files);
    EXPECT_EQ(r.exitCode, c.exit) << r.message;
    EXPECT_FALSE(r.message.empty());
    if (c.dir == tmp / "BOOT") EXPECT_TRUE(test::ListDir(tmp / "BOOT").empty());
    std::filesystem::remove(tmp / ("BOOT/" + name));
  }
}

// The output fails half way (a full disk): the temporary file goes, and so
// does an older copy of the target.
TEST_F(ExtractTool, RemovesThePartialFileWhenWritingFails) {
  class FailingFiles final : public IExtractFiles {
   public:
    explicit FailingFiles(IExtractFiles& real) : real_(real) {}
    std::unique_ptr<IReadAt> OpenImage(const std::string& p) override { return real_.OpenImage(p); }
    bool IsDirectory(const std::string& p) override { return real_.IsDirectory(p); }
    std::unique_ptr<IOutputFile> CreateOutput(const std::string& target) override {
      struct Out final : IOutputFile {
        std::unique_ptr<IOutputFile> inner;
        std::size_t left = 1 << 20;
        bool Write(const void* d, std::size_t n) override {
          if (n > left) return false;
          left -= n;
          return inner->Write(d, n);
        }
        bool Commit() override { return inner->Commit(); }
      };
      auto out = std::make_unique<Out>();
      out->inner = real_.CreateOutput(target);
      return out->inner ? std::move(out) : nullptr;
    }
    bool Remove(const std::string& p) override { return real_.Remove(p); }
    std::string JoinPath(const std::string& d, const std::string& n) override { return real_.JoinPath(d, n); }
    bool SamePath(const std::string& a, const std::string& b) override { return real_.SamePath(a, b); }
    std::string LastErrorText() override { return "disk full"; }

   private:
    IExtractFiles& real_;
  } failing(files);

  test::WriteText(tmp / "BOOT/KRP8PE6L.WIM", "old");
  ExtractResult r = RunIsoExtract(ChainArgs(tmp / "KRP8PE6F.ISO", tmp / "BOOT"), failing);
  EXPECT_EQ(r.exitCode, isoexit::OutputFailed) << r.message;
  EXPECT_NE(r.message.find("disk full"), std::string::npos) << r.message;
  EXPECT_TRUE(test::ListDir(tmp / "BOOT").empty());
}

// Extracting a file over the image it comes from is refused, and the image survives.
TEST_F(ExtractTool, NeverReplacesOrRemovesItsOwnImage) {
  test::WriteFile(tmp / "src2/KRP8PE6F.ISO", ByteVec{1, 2, 3});
  test::MakeIso(tmp / "src2", tmp / "BOOT/KRP8PE6F.ISO", "-J -R");
  ByteVec before = test::ReadFile(tmp / "BOOT/KRP8PE6F.ISO");
  ExtractResult r = RunIsoExtract({"-in", tmp / "BOOT/KRP8PE6F.ISO", "-get", "/KRP8PE6F.ISO", "-extract", tmp / "BOOT"}, files);
  EXPECT_EQ(r.exitCode, isoexit::OutputFailed) << r.message;
  EXPECT_EQ(test::ReadFile(tmp / "BOOT/KRP8PE6F.ISO"), before);
}

}  // namespace
}  // namespace lum
