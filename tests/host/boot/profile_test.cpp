// The portable profile writer and WriteIniValue on the simulated machine
// (ANSI code page 936).
#include <gtest/gtest.h>

#include "boot/ini_file.h"
#include "boot/portable_profile_writer.h"
#include "boot/profile_text.h"
#include "tests/host/boot/profile_cases.h"
#include "tests/host/boot/test_support.h"

namespace lum::test {
namespace {

class ProfileTest : public ::testing::Test {
 protected:
  bool Write(const char* section, const char* key, const char* value, const std::string& path) {
    return WriteIniValue(m_.platform().files, writer_, section, key, value, path);
  }
  sim::SimMachine m_;
  PortableProfileWriter writer_{m_.platform().files, m_.platform().codepage};
};

TEST_F(ProfileTest, SharedCases) {
  for (const ProfileCase& c : ProfileCases()) {
    SCOPED_TRACE(c.what);
    m_.PutFile("C:\\boot.ini", c.before);
    EXPECT_TRUE(Write(c.section, c.key, c.value, "C:\\boot.ini"));
    EXPECT_EQ(m_.ReadFile("C:\\boot.ini"), c.after);
  }
}

TEST_F(ProfileTest, MissingFileIsNotCreated) {
  EXPECT_FALSE(Write("boot loader", "timeout", "3", "C:\\boot.ini"));
  EXPECT_FALSE(m_.Exists("C:\\boot.ini"));
}

TEST_F(ProfileTest, FailedReadOrWriteGivesFalseAndChangesNothing) {
  for (const char* op : {"files.Read", "files.Write"}) {
    SCOPED_TRACE(op);
    m_.ClearFailures();
    m_.PutFile("C:\\boot.ini", kBootIni);
    m_.Fail(op, "boot.ini");
    EXPECT_FALSE(Write("boot loader", "timeout", "3", "C:\\boot.ini"));
    EXPECT_EQ(m_.ReadFile("C:\\boot.ini"), kBootIni);
  }
}

// Lines the edit does not touch stay byte for byte, whatever their spelling.
TEST(SetProfileString, OtherLinesKeepTheirSpelling) {
  const std::string before = "  [ A ]  \n k = 1 \r\n\r\nx=2\n\n[b]\r\n";
  EXPECT_EQ(SetProfileString(before, "a", "K", "v"), "  [ A ]  \nk=v\r\n\r\nx=2\n\n[b]\r\n");
  EXPECT_EQ(SetProfileString(before, "a", "new", "v"),
            "  [ A ]  \n k = 1 \r\n\r\nx=2\nnew=v\r\n\n[b]\r\n");
}

TEST_F(ProfileTest, Utf16FileStaysUtf16) {
  const std::u16string text = u"[a]\r\nk=1\r\n";
  Bytes before{0xFF, 0xFE};
  for (char16_t c : text) before.push_back(c & 0xFF), before.push_back(c >> 8);
  PutBytes(m_, "C:\\u.ini", before);
  EXPECT_TRUE(Write("a", "k", "中", "C:\\u.ini"));
  const Bytes expected = {0xFF, 0xFE, '[', 0, 'a', 0, ']', 0, '\r', 0, '\n', 0, 'k', 0,
                          '=',  0,    0x2D, 0x4E, '\r', 0, '\n', 0};
  EXPECT_EQ(ReadBytes(m_, "C:\\u.ini"), expected);
}

}  // namespace
}  // namespace lum::test
