// Files, environment and the ANSI code page of the real machine under Wine
// (the prefix runs Simplified Chinese: code page 936).
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/win32/platform/machine_support.h"

namespace lum::win32::test {
namespace {

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

class FilesTest : public ::testing::Test {
 protected:
  Win32Machine machine;
  Platform p = machine.platform();
  ScratchDir dir;
};

TEST_F(FilesTest, WriteAppendReadAndSize) {
  std::string f = dir / "数据.bin";  // a name outside ASCII travels as UTF-16
  ASSERT_TRUE(p.files.Write(f, B("abc")));
  ASSERT_TRUE(p.files.Append(f, B("\r\ndef")));
  EXPECT_EQ(p.files.Read(f), B("abc\r\ndef"));
  EXPECT_EQ(p.files.ReadPrefix(f, 2), B("ab"));
  EXPECT_EQ(p.files.ReadPrefix(f, 100), B("abc\r\ndef"));
  EXPECT_EQ(p.files.Size(f), 8u);
  EXPECT_TRUE(p.files.FileExists(f));
  EXPECT_FALSE(p.files.DirExists(f));

  // Writing again empties the file first; appending to a missing file makes it.
  ASSERT_TRUE(p.files.Write(f, B("x")));
  EXPECT_EQ(p.files.Read(f), B("x"));
  std::string g = dir / "new.txt";
  ASSERT_TRUE(p.files.Append(g, B("first")));
  EXPECT_EQ(p.files.Read(g), B("first"));
}

TEST_F(FilesTest, MissingFileLeavesItsErrorCode) {
  std::string f = dir / "missing.txt";
  EXPECT_FALSE(p.files.Read(f));
  EXPECT_EQ(p.system.LastError(), err::FileNotFound);
  EXPECT_FALSE(p.files.Size(f));
  EXPECT_EQ(p.files.GetAttributes(f), kInvalidAttributes);
  EXPECT_FALSE(p.files.Delete(f));
  EXPECT_EQ(p.system.LastError(), err::FileNotFound);
  EXPECT_FALSE(p.files.Write(dir / "no-such-dir\\x.txt", B("x")));
  EXPECT_EQ(p.system.LastError(), err::PathNotFound);
}

TEST_F(FilesTest, CopyMoveAndAttributes) {
  std::string a = dir / "a.txt", b = dir / "b.txt", c = dir / "c.txt";
  ASSERT_TRUE(p.files.Write(a, B("one")));
  ASSERT_TRUE(p.files.Copy(a, b, true));
  EXPECT_FALSE(p.files.Copy(a, b, true));  // refuses to overwrite when asked
  EXPECT_EQ(p.system.LastError(), err::FileExists);
  ASSERT_TRUE(p.files.Write(a, B("two")));
  ASSERT_TRUE(p.files.Copy(a, b, false));
  EXPECT_EQ(p.files.Read(b), B("two"));

  ASSERT_TRUE(p.files.Write(c, B("old")));
  ASSERT_TRUE(p.files.Move(b, c));  // replaces the target
  EXPECT_FALSE(p.files.FileExists(b));
  EXPECT_EQ(p.files.Read(c), B("two"));

  ASSERT_TRUE(p.files.SetAttributes(c, kAttrReadOnly | kAttrHidden | kAttrSystem));
  EXPECT_EQ(p.files.GetAttributes(c) & 0x07u, 0x07u);
  ASSERT_TRUE(p.files.SetAttributes(c, kAttrArchive));
  EXPECT_EQ(p.files.GetAttributes(c) & 0x27u, kAttrArchive);
}

TEST_F(FilesTest, FoldersListingAndTreeDelete) {
  std::string sub = dir / "sub";
  ASSERT_TRUE(p.files.CreateDir(sub));
  EXPECT_TRUE(p.files.DirExists(sub));
  EXPECT_FALSE(p.files.FileExists(sub));
  EXPECT_FALSE(p.files.Size(sub));
  ASSERT_TRUE(p.files.Write(sub + "\\inner.txt", B("12345")));
  ASSERT_TRUE(p.files.CreateDir(sub + "\\deeper"));
  ASSERT_TRUE(p.files.Write(sub + "\\deeper\\x", B("")));

  std::vector<DirEntry> list = p.files.List(sub);
  std::sort(list.begin(), list.end(), [](auto& x, auto& y) { return x.name < y.name; });
  ASSERT_EQ(list.size(), 2u);  // no "." or ".."
  EXPECT_EQ(list[0].name, "deeper");
  EXPECT_TRUE(list[0].isDir);
  EXPECT_EQ(list[1].name, "inner.txt");
  EXPECT_FALSE(list[1].isDir);
  EXPECT_EQ(list[1].size, 5u);

  EXPECT_FALSE(p.files.RemoveDir(sub));  // not empty
  EXPECT_FALSE(p.files.Delete(sub));     // a folder is not a file
  ASSERT_TRUE(p.files.DeleteTree(sub));
  EXPECT_FALSE(p.files.DirExists(sub));
  EXPECT_EQ(p.files.GetAttributes(sub), kInvalidAttributes);
  EXPECT_TRUE(p.files.List(sub).empty());
}

TEST_F(FilesTest, TreeDeleteOfMissingPathFails) {
  EXPECT_FALSE(p.files.DeleteTree(dir / "not-there"));
  EXPECT_NE(p.system.LastError(), 0u);  // the shell's code is kept as the last error
}

TEST_F(FilesTest, ForceDirectoriesMakesEveryLevel) {
  std::string deep = dir / "a\\b\\c";
  ASSERT_TRUE(ForceDirectories(p.files, deep));
  EXPECT_TRUE(p.files.DirExists(deep));
}

TEST(EnvironmentTest, AbsentEmptyAndSetValues) {
  Win32Machine machine;
  Platform p = machine.platform();
  const std::string name = "LUMORA_W32_TEST_VAR";
  EXPECT_EQ(p.env.Get(name), "");
  EXPECT_FALSE(p.env.Has(name));

  std::string longValue(1000, 'v');  // larger than the first buffer
  for (const std::string& value : {std::string("C:\\Windows"), std::string("中文值"), longValue}) {
    p.env.Set(name, value);
    EXPECT_EQ(p.env.Get(name), value);
    EXPECT_TRUE(p.env.Has(name));
  }
  p.env.Set(name, "");
  EXPECT_EQ(p.env.Get(name), "");
  EXPECT_FALSE(p.env.Get("windir").empty());
}

TEST(CodePageTest, AnsiIsGbkUnderTheChinesePrefix) {
  Win32Machine machine;
  Platform p = machine.platform();
  ASSERT_EQ(p.codepage.Acp(), 936u);
  const Bytes gbk = {0xD6, 0xD0, 0xCE, 0xC4, 'O', 'K', 0xA3, 0xBA};  // "中文OK："
  EXPECT_EQ(p.codepage.ToAnsi("中文OK："), gbk);
  EXPECT_EQ(p.codepage.FromAnsi(gbk), "中文OK：");
  EXPECT_EQ(p.codepage.ToAnsi("程序版本："), (Bytes{0xB3, 0xCC, 0xD0, 0xF2, 0xB0, 0xE6, 0xB1,
                                                0xBE, 0xA3, 0xBA}));
  // A character GBK cannot hold becomes "?".
  EXPECT_EQ(p.codepage.ToAnsi("a\xE0\xB8\x81" "b"), B("a?b"));  // Thai ko kai
  EXPECT_TRUE(p.codepage.ToAnsi("").empty());
  EXPECT_EQ(p.codepage.FromAnsi({}), "");
}

}  // namespace
}  // namespace lum::win32::test
