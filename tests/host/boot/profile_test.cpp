// The portable profile writer and WriteIniValue on a machine whose files are
// folders, with the ANSI code page 936.
#include <gtest/gtest.h>

#include "boot/ini_file.h"
#include "boot/portable_profile_writer.h"
#include "boot/profile_text.h"
#include "tests/host/boot/folder_machine.h"
#include "tests/host/boot/profile_cases.h"

namespace lum::test {
namespace {

class ProfileTest : public ::testing::Test {
 protected:
  TempDir dir_;
  FolderFiles files_{dir_.path()};
  IconvCodePage cp_;
  PortableProfileWriter writer_{files_, cp_};
};

std::string Bytes2Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

TEST_F(ProfileTest, CasesShared) {
  for (const ProfileCase& c : ProfileCases()) {
    SCOPED_TRACE(c.what);
    WriteHostFile(files_.Host("C:\\boot.ini"), c.before);
    EXPECT_TRUE(WriteIniValue(files_, writer_, c.section, c.key, c.value, "C:\\boot.ini"));
    EXPECT_EQ(Bytes2Str(ReadHostFile(files_.Host("C:\\boot.ini"))), c.after);
  }
}

TEST_F(ProfileTest, MissingFileIsNotCreated) {
  EXPECT_FALSE(WriteIniValue(files_, writer_, "boot loader", "timeout", "3", "C:\\boot.ini"));
  EXPECT_FALSE(files_.FileExists("C:\\boot.ini"));
}

TEST_F(ProfileTest, FailedWriteGivesFalse) {
  WriteHostFile(files_.Host("C:\\boot.ini"), kBootIni);
  files_.failWritesOf.insert("boot.ini");
  EXPECT_FALSE(WriteIniValue(files_, writer_, "boot loader", "timeout", "3", "C:\\boot.ini"));
  EXPECT_EQ(Bytes2Str(ReadHostFile(files_.Host("C:\\boot.ini"))), kBootIni);
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
  WriteHostFile(files_.Host("C:\\u.ini"), before);
  EXPECT_TRUE(WriteIniValue(files_, writer_, "a", "k", "中", "C:\\u.ini"));
  const Bytes expected = {0xFF, 0xFE, '[', 0, 'a', 0, ']', 0, '\r', 0, '\n', 0, 'k', 0,
                          '=',  0,    0x2D, 0x4E, '\r', 0, '\n', 0};
  EXPECT_EQ(ReadHostFile(files_.Host("C:\\u.ini")), expected);
}

}  // namespace
}  // namespace lum::test
