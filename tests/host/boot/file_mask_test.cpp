#include <gtest/gtest.h>

#include "boot/file_mask.h"

namespace lum {
namespace {

TEST(MatchesFileMask, Table) {
  struct Case {
    const char* name;
    const char* mask;
    bool match;
  } cases[] = {
      {"wvldr", "wvldr", true},         {"wvldr.mbr", "wvldr", false},
      {"WVLDR", "wvldr", true},         {"Varnix.ima", "varnix.IMA", true},
      {"wvldr", "*.*", true},           {"a.b.c", "*.*", true},
      {"sub/x.txt", "*.*", true},       {".hidden", "*.*", true},
      {"wvldr.mbr", "*.mbr", true},     {"wvldr", "*.mbr", false},
      {"wvldr", "w?ldr", true},         {"wldr", "w?ldr", false},
      {"wvldr", "wvldr.*", true},       {"wvldr.mbr", "wvldr.*", true},
      {"Varnix.ima", "wvldr;Varnix.ima", true}, {"Varnix.ima", "wvldr; Varnix.ima", true},
      {"other", "wvldr;Varnix.ima", false},     {"x", "", false},
      {"x", ";;", false},               {"abcabd", "*abd", true},
      {"abcab", "a*b*b", true},         {"aXbYc", "a*b*d", false},
      {"", "*", true},                  {"中文.txt", "*.TXT", true},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesFileMask(c.name, c.mask), c.match) << c.name << " / " << c.mask;
}

}  // namespace
}  // namespace lum
