// The boot helpers on Windows itself (under Wine): the profile-string table
// against WritePrivateProfileStringW, extraction through the real file calls,
// the probes and the ANSI encoding of the hand-off path.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "boot/handoff.h"
#include "boot/image_probe.h"
#include "boot/ini_file.h"
#include "boot/win32/win32_profile_writer.h"
#include "boot/zip_extract.h"
#include "platform/text.h"
#include "platform/win32/codepage_win.h"
#include "platform/win32/files_win.h"
#include "tests/host/boot/profile_cases.h"

namespace lum {
namespace {

// A fresh folder under the temporary directory, removed at the end.
class TempFolder {
 public:
  TempFolder() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    std::string base = Utf16ToUtf8(reinterpret_cast<const char16_t*>(tmp));
    path_ = IncludeTrailingBackslash(base) + "lumboot" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter_++) + "\\";
    ForceDirectories(files_, path_);
  }
  ~TempFolder() { files_.DeleteTree(path_.substr(0, path_.size() - 1)); }
  const std::string& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  win32::Win32Files files_;
  std::string path_;
};

// The fixture folder as Wine sees it: the host's / is Z:.
std::string Fixture(const std::string& name) {
  std::string p = "Z:" + std::string(LUMORA_BOOT_FIXTURES) + "/" + name;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

class BootWinTest : public ::testing::Test {
 protected:
  win32::Win32Files files_;
  win32::Win32CodePage cp_;
  TempFolder dir_;
};

TEST_F(BootWinTest, ProfileCasesAgainstWindows) {
  ASSERT_EQ(cp_.Acp(), 936u);
  Win32ProfileWriter writer;
  const std::string ini = dir_.path() + "boot.ini";
  for (const test::ProfileCase& c : test::ProfileCases()) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(files_.Write(ini, B(c.before)));
    EXPECT_TRUE(WriteIniValue(files_, writer, c.section, c.key, c.value, ini));
    EXPECT_EQ(files_.Read(ini), B(c.after));
  }
  files_.Delete(ini);
  EXPECT_FALSE(WriteIniValue(files_, writer, "boot loader", "timeout", "3", ini));
  EXPECT_FALSE(files_.FileExists(ini));
}

TEST_F(BootWinTest, ArchivesExtractThroughTheWindowsFileCalls) {
  struct Case {
    const char* mask;
    std::vector<const char*> names;
  } cases[] = {{"wvldr", {"wvldr"}}, {"Varnix.ima", {"Varnix.ima"}},
               {"*.*", {"wvldr", "wvldr.mbr", "Varnix.ima"}}};
  for (const char* archive : {"infozip.zip", "infozip_descriptors.zip", "7z.zip"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(archive) + " " + c.mask);
      TempFolder out;
      ASSERT_TRUE(ExtractZipFiles(files_, cp_, Fixture(archive), "J5RT8WQ3", out.path() + "sub\\", c.mask));
      std::vector<DirEntry> listed = files_.List(out.path() + "sub");
      EXPECT_EQ(listed.size(), c.names.size());
      for (const char* name : c.names)
        EXPECT_TRUE(files_.Read(out.path() + "sub\\" + name) == files_.Read(Fixture("src/") + name)) << name;
    }
  }
}

TEST_F(BootWinTest, WrongPasswordWritesNothing) {
  ASSERT_TRUE(files_.Write(dir_.path() + "wvldr", B("older")));
  EXPECT_THROW(ExtractZipFiles(files_, cp_, Fixture("infozip.zip"), "J5RT8WQ4", dir_.path(), "*.*"),
               ZipError);
  EXPECT_EQ(files_.List(dir_.path()).size(), 1u);
  EXPECT_EQ(files_.Read(dir_.path() + "wvldr"), B("older"));
}

TEST_F(BootWinTest, ProbesAndHandoffEncoding) {
  Bytes iso(32768 + 72, 0);
  const Bytes pvd = {1, 'C', 'D', '0', '0', '1', 1, 0};
  std::copy(pvd.begin(), pvd.end(), iso.begin() + 32768);
  ASSERT_TRUE(files_.Write(dir_.path() + "x.iso", iso));
  ASSERT_TRUE(files_.Write(dir_.path() + "x.gho", {0xFE, 0xEF, 0x01}));
  ASSERT_TRUE(files_.Write(dir_.path() + "short.gho", {0xFE, 0xEF}));
  EXPECT_TRUE(IsIsoImage(files_, dir_.path() + "x.iso"));
  EXPECT_FALSE(IsGhostImage(files_, dir_.path() + "x.iso"));
  EXPECT_TRUE(IsGhostImage(files_, dir_.path() + "x.gho"));
  EXPECT_FALSE(IsGhostImage(files_, dir_.path() + "short.gho"));
  EXPECT_FALSE(IsWimImage(files_, dir_.path() + "missing.wim"));
  // "\系统" in code page 936 is 5C CF B5 CD B3.
  EXPECT_EQ(EncodeHandoffPath(cp_, "\\系统"), "605EEBCA67");
}

}  // namespace
}  // namespace lum
