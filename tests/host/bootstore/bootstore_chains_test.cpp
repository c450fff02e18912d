// Every editor command line the three boot chains issue, in their order,
// against the stand-in: each is accepted and the store ends as expected; a
// second run changes nothing; the rollback brings back the store from before.
#include <gtest/gtest.h>

#include "tests/host/boot/chain_commands.h"
#include "tests/host/bootstore/fake_store_files.h"
#include "tools/bootstore/boot_store.h"
#include "tools/bootstore/bootstore_tool.h"

namespace lum {
namespace {

#define G "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}"
#define RD "ramdisk=[C:]\\boot\\KRP8PE6L.WIM,{ffffffff-8d96-11de-8e71-ffffffffffff}"
#define HEAD "\xEF\xBB\xBF; Lumora boot store (text)\r\n"

using test::kBiosPeCommands;
using test::kGhostCommands;
using test::kUefiCommands;

const char kManagerAfter[] =
    "\r\n[{bootmgr}]\r\napplication=bootmgr\r\ndisplayorder=" G "\r\ntimeout=3\r\ndefault=" G "\r\n";

struct Chain {
  const char* name;
  const std::vector<std::string>* commands;
  const char* exportPath;
  std::string entry;  // the program's entry as the store holds it afterwards
};

const Chain kChains[] = {
    {"BiosPe", &kBiosPeCommands, "C:\\Boot\\BCD_JP",
     "\r\n[" G "]\r\napplication=bootsector\r\ndescription=Lumora\r\npath=\\KRPPE.MBR\r\ndevice=boot\r\n"},
    {"Uefi", &kUefiCommands, "C:\\EFI\\Microsoft\\Boot\\BCD_JP",
     "\r\n[" G "]\r\napplication=osloader\r\ndeviceoptions=yes\r\ndescription=Lumora\r\n"
     "ramdisksdidevice=partition=C:\r\nramdisksdipath=\\boot\\boot.sdi\r\ndevice=" RD "\r\n"
     "path=\\windows\\system32\\boot\\winload.efi\r\nlocale=zh-CN\r\ninherit={bootloadersettings}\r\n"
     "osdevice=" RD "\r\nsystemroot=\\windows\r\ndetecthal=Yes\r\nwinpe=Yes\r\ntestsigning=Yes\r\n"},
    {"Ghost", &kGhostCommands, "C:\\Boot\\BCD_",
     "\r\n[" G "]\r\napplication=bootsector\r\ndescription=Lumora\r\npath=\\wvldr.mbr\r\ndevice=partition=C:\r\n"},
};

// A store as a machine has it before the program runs: one Windows entry, the default.
const char kBefore[] = HEAD
    "\r\n[{bootmgr}]\r\napplication=bootmgr\r\ndisplayorder={11111111-2222-3333-4444-555555555555}\r\n"
    "default={11111111-2222-3333-4444-555555555555}\r\ntimeout=30\r\n"
    "\r\n[{11111111-2222-3333-4444-555555555555}]\r\napplication=osloader\r\ndescription=Windows 7\r\n"
    "device=partition=C:\r\npath=\\Windows\\system32\\winload.exe\r\n";

class Chains : public ::testing::TestWithParam<Chain> {};

TEST_P(Chains, EveryCommandIsAcceptedAndTheStoreEndsAsExpected) {
  const Chain& chain = GetParam();
  test::FakeStoreFiles files;
  for (const std::string& cmd : *chain.commands) {
    StoreResult r = RunBootStore(cmd, files);
    EXPECT_EQ(r.exitCode, storeexit::Ok) << cmd << ": " << r.message;
    EXPECT_EQ(r.storePath, "C:\\Boot\\BCD");
  }
  EXPECT_EQ(files.Get("C:\\Boot\\BCD"), std::string(HEAD) + kManagerAfter + chain.entry);
  // The export was taken before any change: a store that holds only the manager.
  EXPECT_EQ(files.Get(chain.exportPath), SerializeStore(BootStore::Fresh()));
}

TEST_P(Chains, ASecondRunLeavesTheStoreAsTheFirstLeftIt) {
  const Chain& chain = GetParam();
  test::FakeStoreFiles files;
  for (const std::string& cmd : *chain.commands) RunBootStore(cmd, files);
  const std::string after = files.Get("C:\\Boot\\BCD");
  for (const std::string& cmd : *chain.commands) {
    if (cmd.rfind(" /export", 0) == 0) continue;
    StoreResult r = RunBootStore(cmd, files);
    // The entry exists: /create fails as the system's editor does; the rest applies again.
    int want = cmd.rfind(" /create", 0) == 0 ? storeexit::Failed : storeexit::Ok;
    EXPECT_EQ(r.exitCode, want) << cmd << ": " << r.message;
  }
  EXPECT_EQ(files.Get("C:\\Boot\\BCD"), after);
}

TEST_P(Chains, TheRollbackRestoresTheStoreFromBefore) {
  const Chain& chain = GetParam();
  for (const char* undo : {"import", "delete"}) {
    SCOPED_TRACE(undo);
    test::FakeStoreFiles files;
    files.Put("C:\\Boot\\BCD", kBefore);
    for (const std::string& cmd : *chain.commands) ASSERT_EQ(RunBootStore(cmd, files).exitCode, 0) << cmd;
    ASSERT_NE(files.Get("C:\\Boot\\BCD"), kBefore);
    ASSERT_EQ(files.Get(chain.exportPath), kBefore);
    if (std::string(undo) == "import") {
      StoreResult r = RunBootStore(std::string(" /import ") + chain.exportPath, files);
      ASSERT_EQ(r.exitCode, storeexit::Ok) << r.message;
      EXPECT_EQ(files.Get("C:\\Boot\\BCD"), kBefore);
    } else {
      StoreResult r = RunBootStore(" /delete " G, files);
      ASSERT_EQ(r.exitCode, storeexit::Ok) << r.message;
      // The entry, its place in the menu and its claim to be the default are
      // gone; the menu time set by the chain stays.
      EXPECT_EQ(files.Get("C:\\Boot\\BCD"),
                HEAD "\r\n[{bootmgr}]\r\napplication=bootmgr\r\ndisplayorder={11111111-2222-3333-4444-555555555555}\r\n"
                     "timeout=3\r\n"
                     "\r\n[{11111111-2222-3333-4444-555555555555}]\r\napplication=osloader\r\ndescription=Windows 7\r\n"
                     "device=partition=C:\r\npath=\\Windows\\system32\\winload.exe\r\n");
      EXPECT_EQ(RunBootStore(" /delete " G " /f", files).exitCode, storeexit::Failed);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BootChains, Chains, ::testing::ValuesIn(kChains),
                         [](const auto& info) { return std::string(info.param.name); });

// The padded element texts line every value up in one column: one blank, the
// name, blanks to a width of 24.
TEST(ChainCommands, PaddedElementsLineUp) {
  for (const std::string& cmd : kUefiCommands) {
    std::string prefix = " /set " G " ";
    if (cmd.rfind(prefix, 0) != 0 || cmd.find("        ") == std::string::npos) continue;
    std::size_t value = cmd.find_first_not_of(' ', cmd.find(' ', prefix.size()));
    EXPECT_EQ(value, prefix.size() + 24) << cmd;
  }
}

}  // namespace
}  // namespace lum
