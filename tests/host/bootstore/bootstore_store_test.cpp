// The stand-in's refusals, where it keeps its store, how it protects a store
// that is not its own, and the text form of the store.
#include <gtest/gtest.h>

#include "tests/host/bootstore/fake_store_files.h"
#include "tools/bootstore/boot_store.h"
#include "tools/bootstore/bootstore_tool.h"
#include "tools/bootstore/store_command.h"

namespace lum {
namespace {

#define G "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}"

std::string StoreWithEntry() {
  test::FakeStoreFiles f;
  RunBootStore(" /create " G " /d \"Lumora\" /application bootsector", f);
  return f.Get("C:\\Boot\\BCD");
}

TEST(BootStoreEditor, RefusesEverythingElseAndLeavesTheStoreAlone) {
  struct Case {
    std::string args;
    int exit;
  };
  const Case cases[] = {
      {"", storeexit::Usage},
      {"   ", storeexit::Usage},
      {" /enum {bootmgr} /x", storeexit::Usage},
      {" /?", storeexit::Usage},
      {" /export", storeexit::Usage},
      {" /export a b", storeexit::Usage},
      {" /import", storeexit::Usage},
      {" /create " G " /application bootsector", storeexit::Usage},
      {" /create " G " /d \"Lumora\"", storeexit::Usage},
      {" /create " G " /d \"\" /device", storeexit::Usage},
      {" /create " G " /d \"Lumora\" /application osloader extra", storeexit::Usage},
      {" /create " G " /d \"Lumora\" /application ntldr", storeexit::Usage},
      {" /create " G " /d \"Lumora\" /device /application osloader", storeexit::Usage},
      {" /create {bootmgr} /d \"Lumora\" /device", storeexit::Usage},
      {" /create {B3CA8E0F-B903-4D4D-BB12-69359F196E9} /d \"x\" /device", storeexit::Usage},
      {" /create {B3CA8E0F-B903-4D4D-BB12-69359F196E9Z} /d \"x\" /device", storeexit::Usage},
      {" /set " G, storeexit::Usage},
      {" /set " G " path", storeexit::Usage},
      {" /set " G " nosuchelement x", storeexit::Usage},
      {" /set " G " device somewhere", storeexit::Usage},
      {" /set " G " device partition=CC:", storeexit::Usage},
      {" /set " G " device partition=", storeexit::Usage},
      {" /set " G " device ramdisk=[C:]\\boot\\x.wim", storeexit::Usage},
      {" /set " G " device ramdisk=[C]\\boot\\x.wim,{ffffffff-8d96-11de-8e71-ffffffffffff}", storeexit::Usage},
      {" /set " G " ramdisksdidevice ramdisk=[C:]\\x,{ffffffff-8d96-11de-8e71-ffffffffffff}", storeexit::Usage},
      {" /set " G " path KRPPE.MBR", storeexit::Usage},
      {" /set " G " path \\a \\b", storeexit::Usage},
      {" /set " G " winpe maybe", storeexit::Usage},
      {" /set " G " inherit bootloadersettings", storeexit::Usage},
      {" /set " G " locale zh_CN!", storeexit::Usage},
      {" /displayorder " G, storeexit::Usage},
      {" /displayorder " G " /addfirst", storeexit::Usage},
      {" /timeout", storeexit::Usage},
      {" /timeout three", storeexit::Usage},
      {" /timeout -1", storeexit::Usage},
      {" /timeout 3 4", storeexit::Usage},
      {" /default", storeexit::Usage},
      {" /default {default}", storeexit::Usage},
      {" /delete " G " /x", storeexit::Usage},
      {" /store", storeexit::Usage},
      // Understood, but the entry is not there.
      {" /set {00000000-0000-0000-0000-000000000001} path \\x", storeexit::Failed},
      {" /default {00000000-0000-0000-0000-000000000001}", storeexit::Failed},
      {" /displayorder {00000000-0000-0000-0000-000000000001} /addlast", storeexit::Failed},
      {" /delete {00000000-0000-0000-0000-000000000001}", storeexit::Failed},
      {" /create " G " /d \"Lumora\" /application osloader", storeexit::Failed},  // exists
      {" /create " G " /d \"Lumora\" /device", storeexit::Failed},
      {" /import C:\\nothere", storeexit::StoreError},
  };
  const std::string seeded = StoreWithEntry();
  for (const Case& c : cases) {
    test::FakeStoreFiles files;
    files.Put("C:\\Boot\\BCD", seeded);
    StoreResult r = RunBootStore(c.args, files);
    EXPECT_EQ(r.exitCode, c.exit) << "[" << c.args << "] " << r.message;
    EXPECT_FALSE(r.message.empty()) << c.args;
    EXPECT_EQ(files.Get("C:\\Boot\\BCD"), seeded) << c.args;
    EXPECT_EQ(files.files.size(), 1u) << c.args;
  }
}

TEST(BootStoreEditor, ReadsNamesAndIdentifiersWithoutRegardToCase) {
  test::FakeStoreFiles files;
  ASSERT_EQ(RunBootStore("/CREATE " G " /D \"Lumora\" /APPLICATION BootSector", files).exitCode, 0);
  std::string lower = AsciiLower(G);
  EXPECT_EQ(RunBootStore("/Set " + lower + " PATH \\KRPPE.MBR", files).exitCode, 0);
  EXPECT_EQ(RunBootStore("/Set " + lower + " WinPE  ON", files).exitCode, 0);
  EXPECT_EQ(RunBootStore("/DisplayOrder " + lower + " /AddLast", files).exitCode, 0);
  EXPECT_EQ(RunBootStore("/DEFAULT " + lower, files).exitCode, 0);
  BootStore store;
  std::string error;
  ASSERT_TRUE(ParseStore(files.Get("C:\\Boot\\BCD"), store, error)) << error;
  ASSERT_EQ(store.objects.size(), 2u);
  EXPECT_EQ(store.objects[1].id, G);  // spelled as created
  EXPECT_EQ(*store.objects[1].Get("path"), "\\KRPPE.MBR");
  EXPECT_EQ(*store.objects[1].Get("winpe"), "Yes");
  EXPECT_EQ(*store.Manager().Get("displayorder"), G);
  EXPECT_EQ(*store.Manager().Get("default"), G);
}

TEST(BootStoreEditor, TakesATitleWithBlanksAsTyped) {
  struct Case {
    std::string args, description;
  };
  const Case cases[] = {
      {" /set " G " description             Lumora", "Lumora"},
      {" /set " G " description             Lumora  Setup 2 ", "Lumora  Setup 2"},
      {" /set " G " description \"Quoted Title\"", "Quoted Title"},
      {" /set " G " description             系统安装", "系统安装"},
  };
  for (const Case& c : cases) {
    test::FakeStoreFiles files;
    RunBootStore(" /create " G " /d \"x\" /application bootsector", files);
    ASSERT_EQ(RunBootStore(c.args, files).exitCode, 0) << c.args;
    BootStore store;
    std::string error;
    ASSERT_TRUE(ParseStore(files.Get("C:\\Boot\\BCD"), store, error));
    EXPECT_EQ(*store.Find(G)->Get("description"), c.description) << c.args;
  }
}

TEST(BootStoreEditor, FindsItsStoreByOptionThenEnvironmentThenSystemDrive) {
  struct Case {
    std::string args, env, systemDrive, store;
  };
  const Case cases[] = {
      {" /store D:\\x\\s.txt /timeout 5", "E:\\env.txt", "C:", "D:\\x\\s.txt"},
      {" /timeout 5", "E:\\env.txt", "C:", "E:\\env.txt"},
      {" /timeout 5", "", "D:", "D:\\Boot\\BCD"},
      {" /timeout 5", "", "D:\\", "D:\\Boot\\BCD"},
  };
  for (const Case& c : cases) {
    test::FakeStoreFiles files;
    files.env = {{"SystemDrive", c.systemDrive}};
    if (!c.env.empty()) files.env["LUMORA_BOOTSTORE"] = c.env;
    StoreResult r = RunBootStore(c.args, files);
    EXPECT_EQ(r.exitCode, 0) << r.message;
    EXPECT_EQ(r.storePath, c.store);
    EXPECT_NE(files.Get(c.store).find("timeout=5"), std::string::npos) << c.store;
    EXPECT_EQ(files.files.size(), 1u);
  }
  test::FakeStoreFiles none;
  none.env.clear();
  EXPECT_EQ(RunBootStore(" /timeout 5", none).exitCode, storeexit::StoreError);
  EXPECT_TRUE(none.files.empty());
}

// A store file that is not ours (the system's binary store) is never written,
// and nothing is exported from it or imported into it.
TEST(BootStoreEditor, LeavesAForeignStoreUntouched) {
  const std::string binary("regf\0\0\0\x01\x02 binary hive", 20);
  for (const char* args : {" /timeout 3", " /export C:\\Boot\\BCD_JP", " /create " G " /d \"L\" /device"}) {
    test::FakeStoreFiles files;
    files.Put("C:\\Boot\\BCD", binary);
    StoreResult r = RunBootStore(args, files);
    EXPECT_EQ(r.exitCode, storeexit::StoreError) << args;
    EXPECT_EQ(files.Get("C:\\Boot\\BCD"), binary);
    EXPECT_EQ(files.files.size(), 1u) << args;
  }
  // Importing a file that is not an export changes nothing either.
  test::FakeStoreFiles files;
  const std::string ours = StoreWithEntry();
  files.Put("C:\\Boot\\BCD", ours);
  files.Put("C:\\junk", binary);
  EXPECT_EQ(RunBootStore(" /import C:\\junk", files).exitCode, storeexit::StoreError);
  EXPECT_EQ(files.Get("C:\\Boot\\BCD"), ours);
  // A store that cannot be written fails the command.
  files.failWrites = true;
  StoreResult r = RunBootStore(" /timeout 4", files);
  EXPECT_EQ(r.exitCode, storeexit::StoreError);
  EXPECT_NE(r.message.find("fake failure"), std::string::npos);
}

TEST(BootStoreText, RoundTripsAndAcceptsPlainLineEnds) {
  BootStore s = BootStore::Fresh();
  BootObject o;
  o.id = G;
  o.application = "osloader";
  o.deviceOptions = true;
  o.Set("description", "系统 = title");
  o.Set("device", "partition=C:");
  s.objects.push_back(o);
  std::string text = SerializeStore(s);
  BootStore back;
  std::string error;
  ASSERT_TRUE(ParseStore(text, back, error)) << error;
  EXPECT_EQ(SerializeStore(back), text);
  EXPECT_EQ(*back.Find(G)->Get("description"), "系统 = title");

  std::string lf = "; Lumora boot store (text)\n[{bootmgr}]\napplication=bootmgr\ntimeout=3\n";
  ASSERT_TRUE(ParseStore(lf, back, error)) << error;
  EXPECT_EQ(*back.Manager().Get("timeout"), "3");
}

TEST(BootStoreText, RejectsDamagedText) {
  const std::string h = "; Lumora boot store (text)\r\n";
  const char* bodies[] = {
      "timeout=3\r\n",                                      // outside any object
      "[{bootmgr}]\r\ntimeout\r\n",                         // no =
      "[{bootmgr}\r\n",                                     // no ]
      "[{not-a-guid}]\r\n",                                 //
      "[{bootmgr}]\r\n[{BOOTMGR}]\r\n",                     // twice
      "[" G "]\r\napplication=ntldr\r\n",                   //
      "[" G "]\r\napplication=osloader\r\napplication=bootsector\r\n",
      "[" G "]\r\npath=\\a\r\npath=\\b\r\n",                //
      "[" G "]\r\nPath=\\a\r\n",                            // names are lower case
      "[" G "]\r\ndeviceoptions=no\r\n",                    //
      "[{bootmgr}]\r\napplication=osloader\r\n",            //
      "[" G "]\r\ndescription=a\x01" "b\r\n",               // control character
  };
  BootStore s;
  std::string error;
  for (const char* b : bodies) {
    EXPECT_FALSE(ParseStore(h + b, s, error)) << b;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(ParseStore("", s, error));
  EXPECT_FALSE(ParseStore("[{bootmgr}]\r\n", s, error));  // no header
}

}  // namespace
}  // namespace lum
