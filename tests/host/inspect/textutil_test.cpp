// Random names, line-break removal and the digit-key filter.
#include <gtest/gtest.h>

#include <set>

#include "inspect/textutil.h"
#include "platform/sim/sim_machine.h"

using namespace lum;
using lum::sim::SimMachine;

namespace {

TEST(RandomName, PrefixLengthAndAlphabet) {
  SimMachine m;
  const std::pair<int, std::size_t> cases[] = {{6, 8}, {1, 3}, {0, 2}, {-3, 2}, {40, 42}};
  for (auto [n, len] : cases) {
    std::string s = RandomName(m.platform(), n);
    EXPECT_EQ(s.size(), len) << n;
    EXPECT_EQ(s.substr(0, 2), "~S");
    for (char c : s.substr(2)) EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) << s;
  }
  // The simulated clock does not move between these calls; the names still differ,
  // and both letter cases turn up.
  std::set<std::string> names;
  std::set<char> letters;
  for (int i = 0; i < 200; ++i) {
    std::string s = RandomName(m.platform(), 6);
    names.insert(s);
    letters.insert(s.begin() + 2, s.end());
  }
  EXPECT_GT(names.size(), 195u);
  EXPECT_EQ(letters.size(), 52u);
}

TEST(StripLineBreaks, PairsAndOuterBlanks) {
  const std::pair<const char*, const char*> cases[] = {
      {"  1:2 -clone\r\nmode=restore  ", "1:2 -clonemode=restore"},
      {"a\rb", "a\rb"},
      {"a\nb", "a\nb"},
      {"a\n\rb", "a\n\rb"},
      {"a\r\r\nb", "a\rb"},
      {"\r\n\t x \r\n", "x"},
      {"", ""},
      {" \r\n ", ""},
      {"中文 \r\n", "中文"},
  };
  for (auto [in, want] : cases) EXPECT_EQ(StripLineBreaks(in), want) << in;
}

TEST(IsDigitKey, DigitsAndEditingKeysPassOthersBeep) {
  SimMachine m;
  const std::pair<std::string, bool> cases[] = {
      {"12", true},  {"0", true},   {"9x", true},          {std::string(1, '\x03'), true},
      {"\b", true},  {"\x16", true}, {"\x18", true},       {"a", false},
      {"", false},   {" 1", false},  {"-1", false},        {"\x1a", false},
  };
  int beeps = 0;
  for (const auto& [text, want] : cases) {
    EXPECT_EQ(IsDigitKeyChar(text), want) << text;
    EXPECT_EQ(IsDigitKey(m.platform(), text), want) << text;
    if (!want) ++beeps;
    EXPECT_EQ(m.BeepCount(), beeps) << text;
  }
}

}  // namespace
