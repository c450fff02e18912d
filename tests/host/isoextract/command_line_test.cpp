// Splitting the tools' command lines as Windows programs receive them.
#include <gtest/gtest.h>

#include "tools/common/command_line.h"

namespace lum {
namespace {

std::vector<std::string> Texts(std::string_view s) {
  std::vector<std::string> out;
  for (auto& a : SplitArguments(s)) out.push_back(a.text);
  return out;
}

TEST(CommandLine, SplitsLikeTheCRuntime) {
  struct Case {
    const char* line;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"", {}},
      {"   \t ", {}},
      {" -silent -in C:\\BOOT\\KRP8PE6F.ISO", {"-silent", "-in", "C:\\BOOT\\KRP8PE6F.ISO"}},
      {"/create {B3CA8E0F-B903-4D4D-BB12-69359F196E93} /d \"Lumora\" /application bootsector",
       {"/create", "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}", "/d", "Lumora", "/application", "bootsector"}},
      {"/d \"two words\" x", {"/d", "two words", "x"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"\"", {""}},
      {"\"C:\\My Dir\\\\\" next", {"C:\\My Dir\\", "next"}},
      {"\"C:\\My Dir\\\" next", {"C:\\My Dir\" next"}},
      {"a\\\\b \\\"q\\\"", {"a\\\\b", "\"q\""}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"unterminated quote", {"unterminated quote"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Texts(c.line), c.args) << c.line;
}

TEST(CommandLine, KeepsWhereEachArgumentStands) {
  const std::string line = " /set {G} description             My Title ";
  auto args = SplitArguments(line);
  ASSERT_EQ(args.size(), 5u);
  EXPECT_EQ(line.substr(args[3].begin, args[4].end - args[3].begin), "My Title");
  EXPECT_EQ(line.substr(args[0].begin, args[0].end - args[0].begin), "/set");
}

TEST(CommandLine, SkipsTheProgramName) {
  struct Case {
    const char* line;
    const char* module;
    const char* rest;
  };
  const Case cases[] = {
      // The extraction chain: two blanks after the name.
      {"C:\\Windows\\Temp\\krpiso.krp  -silent -in C:\\BOOT\\KRP8PE6F.ISO", "krpiso.krp",
       "-silent -in C:\\BOOT\\KRP8PE6F.ISO"},
      {"\"C:\\Program Files\\x.exe\" /export C:\\Boot\\BCD_JP", "x.exe", "/export C:\\Boot\\BCD_JP"},
      // The editor is started by its path without quotation marks, also when
      // the temporary folder has a blank in it.
      {"C:\\Users\\John Smith\\AppData\\Local\\Temp\\BCDEdit.exe /timeout 3", "BCDEdit.exe", "/timeout 3"},
      {"c:\\users\\john smith\\temp\\bcdedit /timeout 3", "BCDEdit.exe", "/timeout 3"},
      {"BCDEdit.exe /default {X}", "BCDEdit.exe", "/default {X}"},
      // Unknown own name: the first blank ends the program name.
      {"C:\\tool.exe /timeout 3", "", "/timeout 3"},
      {"C:\\other.exe /timeout 3", "BCDEdit.exe", "/timeout 3"},
      {"C:\\tool.exe", "tool.exe", ""},
      // A name that merely ends like ours inside a longer word is not ours.
      {"C:\\myBCDEdit.exe /timeout 3", "BCDEdit.exe", "/timeout 3"},
  };
  for (const Case& c : cases) EXPECT_EQ(SkipProgramName(c.line, c.module), c.rest) << c.line;
}

}  // namespace
}  // namespace lum
