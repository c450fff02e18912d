// The registry wrapper and the two registry reads over the simulated registry.
#include <gtest/gtest.h>

#include "inspect/regunit.h"
#include "platform/sim/sim_machine.h"

using namespace lum;
using lum::sim::SimMachine;

namespace {

const char kKey[] = "SOFTWARE\\Lumora";

TEST(TRegistryMultiSz, RoundTripAndStoredBytes) {
  SimMachine m;
  TRegistry reg(m.platform().registry);
  reg.SetRootKey(RegRoot::LocalMachine);
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  const std::vector<std::vector<std::string>> lists = {
      {"a", "bc"}, {"中文", "x y", "C:\\Boot"}, {"single"}, {}};
  for (const auto& list : lists) {
    reg.WriteMULTIStrings("Items", list);
    std::vector<std::string> back{"stale"};
    reg.ReadMULTIStrings("Items", back);
    EXPECT_EQ(back, list);
  }
  reg.WriteMULTIStrings("Items", {"a", "bc"});
  std::optional<sim::SimRegValue> v = m.RegValue(RegRoot::LocalMachine, kKey, "items");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->type, kRegMultiSz);
  EXPECT_EQ(v->data, (Bytes{'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0, 0, 0}));  // 6 characters
  reg.WriteMULTIStrings("Empty", {});
  EXPECT_EQ(m.RegValue(RegRoot::LocalMachine, kKey, "Empty")->data, (Bytes{0, 0}));
}

TEST(TRegistryMultiSz, ReadingStopsAtAnEmptyStringOrTheEnd) {
  SimMachine m;
  auto u16 = [](std::u16string s) {
    Bytes b;
    for (char16_t c : s) { b.push_back(c & 0xFF); b.push_back(c >> 8); }
    return b;
  };
  m.SetRegValue(RegRoot::LocalMachine, kKey, "Gap", kRegMultiSz, u16(std::u16string(u"a\0\0b\0\0", 6)));
  m.SetRegValue(RegRoot::LocalMachine, kKey, "Open", kRegMultiSz, u16(std::u16string(u"a\0bc", 4)));
  m.SetRegValue(RegRoot::LocalMachine, kKey, "Text", kRegSz, u16(std::u16string(u"a\0", 2)));
  TRegistry reg(m.platform().registry);
  reg.SetRootKey(RegRoot::LocalMachine);
  ASSERT_TRUE(reg.OpenKeyReadOnly(kKey));
  std::vector<std::string> list;
  reg.ReadMULTIStrings("Gap", list);
  EXPECT_EQ(list, (std::vector<std::string>{"a"}));
  reg.ReadMULTIStrings("Open", list);
  EXPECT_EQ(list, (std::vector<std::string>{"a", "bc"}));
  reg.ReadMULTIStrings("Text", list);
  EXPECT_TRUE(list.empty());
  list = {"stale"};
  reg.ReadMULTIStrings("Missing", list);
  EXPECT_TRUE(list.empty());
  // A read-only key refuses the write, which is not reported.
  reg.WriteMULTIStrings("New", {"x"});
  EXPECT_EQ(reg.LastResult(), 5);
  EXPECT_FALSE(m.RegValue(RegRoot::LocalMachine, kKey, "New"));
}

TEST(TRegistryOps, TypedValuesKeysAndRelativePaths) {
  SimMachine m;
  TRegistry reg(m.platform().registry, kKeyAllAccess);
  reg.SetRootKey(RegRoot::LocalMachine);
  EXPECT_FALSE(reg.OpenKey("SOFTWARE\\Nope", false));
  EXPECT_EQ(reg.LastResult(), 2);
  ASSERT_TRUE(reg.OpenKey("SOFTWARE", true));
  ASSERT_TRUE(reg.OpenKey("Lumora\\Sub", true));  // relative to SOFTWARE
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Lumora\\Sub");
  EXPECT_TRUE(reg.WriteInteger("Count", -7));
  EXPECT_TRUE(reg.WriteString("Name", "启动 Lumora"));
  EXPECT_EQ(reg.ReadInteger("count"), -7);
  EXPECT_EQ(reg.ReadString("NAME"), "启动 Lumora");
  EXPECT_FALSE(reg.ReadInteger("Name"));
  EXPECT_FALSE(reg.ReadString("Count"));
  EXPECT_EQ(reg.GetDataSize("Count"), 4);
  EXPECT_EQ(reg.GetDataSize("Name"), 20);  // 9 characters and the NUL
  EXPECT_EQ(reg.GetDataSize("None"), -1);
  EXPECT_TRUE(reg.ValueExists("Name"));
  EXPECT_TRUE(reg.DeleteValue("Name"));
  EXPECT_FALSE(reg.ValueExists("Name"));
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\Lumora"));
  reg.CloseKey();
  EXPECT_FALSE(reg.HasCurrentKey());
  EXPECT_FALSE(reg.DeleteKey("SOFTWARE\\Lumora"));  // still has Sub
  EXPECT_TRUE(reg.DeleteKey("SOFTWARE\\Lumora\\Sub"));
  EXPECT_FALSE(reg.KeyExists("SOFTWARE\\Lumora\\Sub"));
}

TEST(RegReads, IntegerAndKeyExistence) {
  SimMachine m;
  m.SetRegDword(RegRoot::LocalMachine, "SYSTEM\\Setup", "Dword", 1);
  m.SetRegDword(RegRoot::LocalMachine, "SYSTEM\\Setup", "Minus", 0xFFFFFFFFu);
  m.SetRegString(RegRoot::LocalMachine, "SYSTEM\\Setup", "Text", "1");
  m.SetRegValue(RegRoot::LocalMachine, "SYSTEM\\Setup", "Short", kRegDword, Bytes{1, 0});
  Platform& p = m.platform();
  const std::pair<const char*, int> cases[] = {
      {"Dword", 1}, {"dword", 1}, {"Minus", -1}, {"Text", -1}, {"Short", -1}, {"Absent", -1}};
  for (auto [name, want] : cases)
    EXPECT_EQ(RegReadInteger(p, RegRoot::LocalMachine, "SYSTEM\\Setup", name), want) << name;
  EXPECT_EQ(RegReadInteger(p, RegRoot::LocalMachine, "SYSTEM\\NoKey", "Dword"), -1);
  EXPECT_EQ(RegReadInteger(p, RegRoot::CurrentUser, "SYSTEM\\Setup", "Dword"), -1);
  EXPECT_TRUE(RegKeyExists(p, RegRoot::LocalMachine, "system\\setup"));
  EXPECT_FALSE(RegKeyExists(p, RegRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\PE Builder"));
  m.Fail("registry.OpenKey", "Setup", err::AccessDenied);
  EXPECT_FALSE(RegKeyExists(p, RegRoot::LocalMachine, "SYSTEM\\Setup"));
  EXPECT_EQ(RegReadInteger(p, RegRoot::LocalMachine, "SYSTEM\\Setup", "Dword"), -1);
}

}  // namespace
