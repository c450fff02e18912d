#include <gtest/gtest.h>

#include "platform/text.h"

namespace lum {
namespace {

TEST(Text, Utf16RoundTrip) {
  const std::string samples[] = {"", "Begin", "系统信息：", "a\xF0\x9F\x98\x80z"};
  for (const auto& s : samples) EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s) << s;
  EXPECT_EQ(Utf8ToUtf16("中").size(), 1u);
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80").size(), 2u);
}

TEST(Text, AsciiCaseTouchesOnlyAsciiLetters) {
  EXPECT_EQ(AsciiUpper("abz AZ 09 ä 中"), "ABZ AZ 09 ä 中");
  EXPECT_EQ(AsciiLower("ABZ"), "abz");
  EXPECT_TRUE(SameTextAscii("Ferroyx.EXE", "FERROYX.exe"));
  EXPECT_FALSE(SameTextAscii("a", "ab"));
}

TEST(Text, PathParts) {
  struct Case { const char* path; const char* name; const char* dir; };
  const Case cases[] = {
      {"C:\\Windows\\temp\\x.log", "x.log", "C:\\Windows\\temp\\"},
      {"C:x.log", "x.log", "C:"},
      {"x.log", "x.log", ""},
      {"D:\\dir\\", "", "D:\\dir\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(ExtractFileDir(c.path), c.dir) << c.path;
  }
}

TEST(Text, SplitKeepsEmptyParts) {
  EXPECT_EQ(SplitOn("a||b|", '|'), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(SplitOn("", '|'), (std::vector<std::string>{""}));
}

}  // namespace
}  // namespace lum
