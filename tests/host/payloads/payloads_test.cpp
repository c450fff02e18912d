// The payloads the build makes: the GRUB4DOS menu byte for byte, the restore
// archive's encrypted entries, and the stand-ins' names and first bytes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "boot/zip_archive.h"

namespace lum {
namespace {

const std::string kDir = LUMORA_PAYLOAD_BUILD_DIR;

Bytes ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  EXPECT_TRUE(f.good()) << path;
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

std::string ReadText(const std::string& path) {
  Bytes b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

TEST(Payloads, GrubMenuIsTheExactMenu) {
  // Written out here independently of the generator.
  const char* lines[] = {
      "debug off", "timeout 3", "default 0", "", "title  01.START PE",
      "echo -e \\n$[0003]  Now Loading PE8",
      "echo -e \\n$[0003]  This process may take a few minutes...",
      "find --set-root --ignore-floppies --ignore-cd /BOOT/KRP8PE6F.ISO && map /BOOT/KRP8PE6F.ISO (0xff) || "
      "map --mem /BOOT/KRP8PE6F.ISO (0xff)",
      "map --hook", "chainloader (0xff)", "boot", "", "title  02.START WINDOWS ",
      "find --set-root --devices=h /ntldr || find --set-root --devices=h /bootmgr || configfile "
      "(bd)/BOOT/GRUB/MENU.LST",
      "map (hd0) ()", "map () (hd0)", "map --rehook",
      "find --set-root --devices=h /ntldr || find --set-root --devices=h /bootmgr",
      "chainloader /ntldr || chainloader /bootmgr", "", "", "", ""};
  std::string expected = "\xEF\xBB\xBF";
  for (const char* l : lines) expected += std::string(l) + "\r\n";
  ASSERT_EQ(std::size(lines), 23u);
  std::string menu = ReadText(kDir + "/MENU.LST");
  EXPECT_EQ(menu.size(), 641u);
  EXPECT_EQ(menu, expected);
}

TEST(Payloads, RestoreArchiveHoldsThreeDeflatedEncryptedEntries) {
  ZipArchive zip(ReadBytes(kDir + "/bootadd.zip"));
  std::map<std::string, const ZipEntry*> byName;
  for (const auto& e : zip.Entries()) byName[e.name] = &e;
  ASSERT_EQ(byName.size(), 3u);
  const std::string password = "J5RT8WQ3";
  for (const char* name : {"wvldr", "wvldr.mbr", "Varnix.ima"}) {
    ASSERT_TRUE(byName.count(name)) << name;
    const ZipEntry& e = *byName[name];
    EXPECT_TRUE(e.Encrypted()) << name;
    EXPECT_EQ(e.method, 8) << name;  // deflated
    Bytes plain;
    zip.Read(e, Bytes(password.begin(), password.end()),
             [&](const std::uint8_t* d, std::size_t n) { plain.insert(plain.end(), d, d + n); });
    EXPECT_EQ(plain, ReadBytes(kDir + "/standin/" + name)) << name;
  }
  const std::string wrong = "WRONGPWD";
  EXPECT_THROW(zip.Read(*byName["wvldr"], Bytes(wrong.begin(), wrong.end()), [](auto, auto) {}),
               ZipError);
}

TEST(Payloads, StandInsHaveTheirNamesAndFirstBytes) {
  EXPECT_EQ(ReadText(kDir + "/standin/BOOT.SDI").substr(0, 8), "$SDI0001");
  const char* efi[] = {"BOOTMGR", "BOOTMGFW", "MEMTEST", "MUIA", "MUIB", "MUIC"};
  for (const char* key : efi) {
    std::string x64 = ReadText(kDir + "/standin/efi/" + key);
    std::string x86 = ReadText(kDir + "/standin/efi/" + std::string(key) + "X86");
    EXPECT_EQ(x64.substr(0, 2), "MZ") << key;
    EXPECT_EQ(x86.substr(0, 2), "MZ") << key;
    EXPECT_NE(x64, x86) << key << ": the two sets must differ";
  }
  const std::string id = ReadText(kDir + "/standin/id.dat");
  EXPECT_EQ(id.size(), 40u);
  EXPECT_EQ(id.substr(0, 14), "[partner]\r\nid=");
  EXPECT_EQ(id.substr(22), "\r\nver = 3.2.1.46\r\n");
}

TEST(Payloads, ManifestCarriesEveryKeyOfTheBootTable) {
  std::ifstream f(std::string(LUMORA_SOURCE_DIR) + "/payloads/manifest.txt");
  std::string line, keys;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    std::string type, name;
    in >> type >> name;
    keys += type + "/" + name + " ";
  }
  for (const char* k : {"PE/GRU", "PE/MBR", "PE/CDA", "FUN/BEDIT", "ISO/MAK", "BOT/EFI", "EFISET/BOOTMGR",
                        "EFISET/BOOTMGRX86", "EFISET/BOOTMGFW", "EFISET/BOOTMGFWX86", "EFISET/MEMTEST",
                        "EFISET/MEMTESTX86", "EFISET/MUIA", "EFISET/MUIAX86", "EFISET/MUIB", "EFISET/MUIBX86",
                        "EFISET/MUIC", "EFISET/MUICX86", "FUN/BOOTADD", "FUN/RUSORT", "DLL/XLDL", "DAT/IDDAT"})
    EXPECT_NE(keys.find(std::string(k) + " "), std::string::npos) << k;
}

}  // namespace
}  // namespace lum
