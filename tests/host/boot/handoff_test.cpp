// The installer hand-off files, read back as GBK bytes and decoded again.
#include <gtest/gtest.h>

#include "boot/handoff.h"
#include "tests/host/boot/test_support.h"

namespace lum::test {
namespace {

// The key as the installer side knows it, written out independently here.
Bytes KeyFromHex() {
  const std::string hex = "3C915E07D42A68B3";
  Bytes key;
  for (std::size_t i = 0; i < hex.size(); i += 2) key.push_back(std::stoi(hex.substr(i, 2), nullptr, 16));
  return key;
}

// What the PE-side installer does with the value.
Bytes Decode(const std::string& hex) {
  Bytes key = KeyFromHex(), out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)) ^ key[(i / 2) % 8]);
  return out;
}


const Bytes kGho = {0xFE, 0xEF, 0x01, 0x00};
const Bytes kWim = {'M', 'S', 'W', 'I', 'M', 0, 0, 0};
Bytes IsoBytes() {
  Bytes b(40960, 0);
  const Bytes pvd = {1, 'C', 'D', '0', '0', '1', 1, 0};
  std::copy(pvd.begin(), pvd.end(), b.begin() + 32768);
  return b;
}

class HandoffTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (char l = 'A'; l <= 'Z'; ++l) {
      if (l == 'C') continue;
      sim::DriveSpec setup;
      if (l < 'C') setup.type = kDriveRemovable;
      m_.AddDrive(l, setup);
    }
  }
  HandoffInputs Workflow(const std::string& image) {
    return {image, "x86", "5", "Lumora", "", "", ""};
  }
  bool Run(const HandoffInputs& in, std::string& error) {
    return WriteHandoffFiles(m_.platform(), in, error);
  }
  Bytes Read(const std::string& path) { return ReadBytes(m_, path); }
  std::string EncodedOf(const std::string& path) {
    return EncodeHandoffPath(m_.platform().codepage, path.substr(2));
  }

  sim::SimMachine m_;
};

TEST_F(HandoffTest, EachImageTypeGivesItsLines) {
  struct Case {
    const char* what;
    Bytes image;
    HandoffInputs in;
    std::vector<std::string> lines;  // %P stands for the encoded path
  } cases[] = {
      {"ghost", kGho, {"D:\\ZqGhost\\win7x64.gho", "x86", "5", "Lumora", "", "", ""},
       {"[Config]", "TYPE=GHO", "GHO=%P", "Bit=x86"}},
      {"wim, empty index and key", kWim, {"D:\\ZqGhost\\install.wim", "x64", "5", "Lumora", "", "", ""},
       {"[Config]", "TYPE=WIM", "WIM=%P", "INDEX=", "CDKEY=", "Bit=x64"}},
      {"wim with index and key", kWim, {"D:\\ZqGhost\\install.wim", "x86", "5", "Lumora", "w", "KEY-1", "2"},
       {"[Config]", "TYPE=WIM", "WIM=%P", "INDEX=2", "CDKEY=KEY-1", "Bit=x86"}},
      {"iso", IsoBytes(), {"D:\\ZqGhost\\win10.iso", "x86", "5", "Lumora", "sources\\install.wim", "", "1"},
       {"[Config]", "TYPE=ISO", "SYS=5", "ISO=%P", "WIM=sources\\install.wim", "INDEX=1", "CDKEY=",
        "Bit=x86"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PutBytes(m_, c.in.imagePath, c.image);
    std::string error;
    ASSERT_TRUE(Run(c.in, error)) << error;
    std::string expected;
    for (std::string line : c.lines) {
      if (auto at = line.find("%P"); at != std::string::npos) line.replace(at, 2, EncodedOf(c.in.imagePath));
      expected += line + "\r\n";
    }
    EXPECT_EQ(Read("C:\\KFun.JP"), B(expected));
    EXPECT_EQ(Read("D:\\GFun.JP"), B("Lumora\r\n"));
    EXPECT_EQ(Decode(EncodedOf(c.in.imagePath)), B(c.in.imagePath.substr(2)));
  }
}

// A path and a title outside ASCII travel as GBK bytes.
TEST_F(HandoffTest, ChineseTextIsWrittenInTheAnsiCodePage) {
  HandoffInputs in = Workflow("E:\\系统\\镜像.gho");
  in.title = "一键重装";
  PutBytes(m_, in.imagePath, kGho);
  std::string error;
  ASSERT_TRUE(Run(in, error)) << error;
  const Bytes gbkPath = {'\\', 0xCF, 0xB5, 0xCD, 0xB3, '\\', 0xBE, 0xB5, 0xCF, 0xF1, '.', 'g', 'h', 'o'};
  const Bytes raw = Read("C:\\KFun.JP");
  std::string kfun(raw.begin(), raw.end());
  std::size_t at = kfun.find("GHO=") + 4;
  std::string value = kfun.substr(at, kfun.find("\r\n", at) - at);
  EXPECT_EQ(value.size(), 2 * gbkPath.size());
  EXPECT_EQ(Decode(value), gbkPath);
  EXPECT_EQ(Read("E:\\GFun.JP"), Bytes({0xD2, 0xBB, 0xBC, 0xFC, 0xD6, 0xD8, 0xD7, 0xB0, '\r', '\n'}));
}

TEST(EncodeHandoffPath, HexOfTheKeyedBytes) {
  sim::SimMachine m;
  ICodePage& cp = m.platform().codepage;
  EXPECT_EQ(EncodeHandoffPath(cp, ""), "");
  EXPECT_EQ(EncodeHandoffPath(cp, "\\"), "60");  // 5C ^ 3C
  std::string nine = EncodeHandoffPath(cp, "AAAAAAAAA");
  ASSERT_EQ(nine.size(), 18u);
  EXPECT_EQ(nine.substr(0, 2), nine.substr(16, 2));  // first and ninth use the same key byte
  EXPECT_EQ(nine.substr(0, 16), "7DD01F46956B29F2");
  std::string path = EncodeHandoffPath(cp, "\\ZqGhost\\win7x64.gho");
  EXPECT_EQ(path.size(), 40u);
  EXPECT_EQ(path.find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

TEST_F(HandoffTest, ImageOnTheSystemDriveGivesBothFilesInOneRoot) {
  PutBytes(m_, "C:\\img.gho", kGho);
  std::string error;
  ASSERT_TRUE(Run(Workflow("C:\\img.gho"), error));
  EXPECT_TRUE(m_.Exists("C:\\KFun.JP"));
  EXPECT_EQ(Read("C:\\GFun.JP"), B("Lumora\r\n"));
}

// Older files on C: to Z: go whether the rest succeeds or not; A: and B: are not looked at.
TEST_F(HandoffTest, SweepRemovesOlderFilesOnEveryDriveFromCToZ) {
  PutBytes(m_, "D:\\ZqGhost\\win7x64.gho", kGho);
  m_.PutFile("D:\\ZqGhost\\bad.zip", "PK\x03\x04");
  for (const char* image : {"D:\\ZqGhost\\win7x64.gho", "D:\\ZqGhost\\bad.zip"}) {
    SCOPED_TRACE(image);
    for (char l = 'A'; l <= 'Z'; ++l)
      for (const char* name : {"KFun.JP", "GFun.JP"})
        m_.PutFile(std::string(1, l) + ":\\" + name, "old");
    std::string error;
    bool ok = Run(Workflow(image), error);
    EXPECT_EQ(ok, std::string(image).find(".gho") != std::string::npos);
    for (char l = 'A'; l <= 'Z'; ++l) {
      for (const char* name : {"KFun.JP", "GFun.JP"}) {
        std::string path = std::string(1, l) + ":\\" + name;
        bool fresh = ok && ((l == 'C' && name[0] == 'K') || (l == 'D' && name[0] == 'G'));
        if (l < 'C')
          EXPECT_EQ(Read(path), B("old")) << path;
        else if (fresh)
          EXPECT_NE(Read(path), B("old")) << path;
        else
          EXPECT_FALSE(m_.Exists(path)) << path;
      }
    }
  }
}

// An empty optical drive among the letters: the sweep touches it with
// critical-error dialogs off and gives the process its own mode back after.
TEST_F(HandoffTest, SweepOverAnEmptyDriveAsksForNoDisk) {
  PutBytes(m_, "D:\\ZqGhost\\win7x64.gho", kGho);
  m_.AddDrive('R', {.type = kDriveCdrom, .media = false});
  constexpr std::uint32_t kNoOpenFileErrorBox = 0x8000;
  for (std::uint32_t before : {0u, kNoOpenFileErrorBox}) {
    SCOPED_TRACE(before);
    sim::SimMachine& m = m_;
    m.platform().system.SetErrorMode(before);
    const std::size_t setsBefore = m.ErrorModesSet().size();
    std::string error;
    ASSERT_TRUE(Run(Workflow("D:\\ZqGhost\\win7x64.gho"), error)) << error;
    EXPECT_EQ(m.NoDiskPrompts(), 0);
    EXPECT_EQ(m.ErrorMode(), before);
    const std::vector<std::uint32_t> sets(m.ErrorModesSet().begin() + setsBefore, m.ErrorModesSet().end());
    ASSERT_GE(sets.size(), 2u);
    EXPECT_EQ(sets[sets.size() - 2], before | kSemFailCriticalErrors);
    EXPECT_EQ(sets.back(), before);
  }
  // The form without the platform leaves the mode to its caller: with
  // dialogs on, the empty drive would have asked for a disk.
  m_.platform().system.SetErrorMode(0);
  Platform& p = m_.platform();
  std::string error;
  EXPECT_TRUE(WriteHandoffFiles(p.files, p.env, p.codepage, Workflow("D:\\ZqGhost\\win7x64.gho"), error));
  EXPECT_GT(m_.NoDiskPrompts(), 0);
}

TEST_F(HandoffTest, FailuresGiveTheirTextsAndLeaveNoHalfHandoff) {
  struct Case {
    const char* what;
    const char* image;
    Bytes content;
    const char* failWrite;
    const char* text;
  } cases[] = {
      {"zip archive", "D:\\a.zip", B("PK\x03\x04"), nullptr, "映像文件类型错误！"},
      {"missing image", "D:\\none.gho", {}, nullptr, "映像文件类型错误！"},
      {"KFun.JP cannot be written", "D:\\a.gho", kGho, "KFun.JP", "系统配置1文件创建失败！"},
      {"GFun.JP cannot be written", "D:\\a.gho", kGho, "GFun.JP", "系统配置2文件创建失败！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_.ClearFailures();
    if (c.failWrite) m_.Fail("files.Write", c.failWrite);
    if (!c.content.empty()) PutBytes(m_, c.image, c.content);
    std::string error;
    EXPECT_FALSE(Run(Workflow(c.image), error));
    EXPECT_EQ(error, c.text);
    EXPECT_FALSE(m_.Exists("C:\\KFun.JP"));
    EXPECT_FALSE(m_.Exists("D:\\GFun.JP"));
  }
}

}  // namespace
}  // namespace lum::test
