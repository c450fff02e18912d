// The ISO extraction tool and the boot-store editor stand-in as real Windows
// programs, started the way the boot chains start them: the extraction tool
// through "cmd /c" under the name krpiso.krp, the editor by its path without
// quotation marks followed by the argument text.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/text.h"

namespace {

std::wstring W(const std::string& s) {
  std::u16string u = lum::Utf8ToUtf16(s);
  return std::wstring(u.begin(), u.end());
}

// A host path as Wine's Z: drive shows it.
std::string HostPath(const char* unixPath) {
  std::string p = std::string("Z:") + unixPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(W(path).c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs a command line as CreateProcess receives it, hidden, and waits.
DWORD RunCommand(const std::string& commandLine) {
  std::wstring line = W(commandLine);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
    return 0xFFFFFFFF;
  }
  WaitForSingleObject(pi.hProcess, 120000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

void SetEnv(const char* name, const std::string& value) {
  SetEnvironmentVariableW(W(name).c_str(), value.empty() ? nullptr : W(value).c_str());
}

std::string GetEnv(const char* name) {
  wchar_t buf[1024];
  DWORD n = GetEnvironmentVariableW(W(name).c_str(), buf, 1024);
  return n && n < 1024 ? lum::Utf16ToUtf8(std::u16string(buf, buf + n)) : std::string();
}

// A fresh folder under the temporary directory, removed afterwards.
class ToolsUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    temp_ = lum::Utf16ToUtf8(std::u16string(tmp, tmp + wcslen(tmp)));
    if (!temp_.empty() && temp_.back() == '\\') temp_.pop_back();
    dir_ = temp_ + "\\lumora-tools-" + std::to_string(GetCurrentProcessId());
    RemoveTree(dir_);
    ASSERT_TRUE(CreateDirectoryW(W(dir_).c_str(), nullptr));
    savedStore_ = GetEnv("LUMORA_BOOTSTORE");
  }
  void TearDown() override {
    SetEnv("LUMORA_BOOTSTORE", savedStore_);
    RemoveTree(dir_);
  }
  static void RemoveTree(const std::string& dir) {
    RunCommand("cmd /c rmdir /s /q " + dir + " >nul 2>&1");
  }
  void MakeDir(const std::string& d) { CreateDirectoryW(W(d).c_str(), nullptr); }
  void Copy(const std::string& from, const std::string& to) {
    ASSERT_TRUE(CopyFileW(W(from).c_str(), W(to).c_str(), FALSE)) << from << " -> " << to;
  }

  std::string temp_, dir_, savedStore_;
};

TEST_F(ToolsUnderWine, IsoToolExtractsTheWimWithTheChainsCommandLine) {
  const std::string fixture = HostPath(LUMORA_TOOLS_FIXTURE);
  const std::string s = dir_ + "\\S", t = dir_ + "\\T";
  MakeDir(s);
  MakeDir(s + "\\BOOT");
  MakeDir(t);
  Copy(HostPath(LUMORA_ISOEXTRACT_EXE), t + "\\krpiso.krp");
  Copy(fixture + "\\KRP8PE6F.ISO", s + "\\BOOT\\KRP8PE6F.ISO");

  const std::string line = "cmd /c " + t + "\\krpiso.krp  -silent -in " + s +
                           "\\BOOT\\KRP8PE6F.ISO -get /BOOT/KRP8PE6L.WIM -unattend -extract " + s + "\\BOOT";
  EXPECT_EQ(RunCommand(line), 0u) << line;
  const std::string want = ReadAll(fixture + "\\src\\BOOT\\KRP8PE6L.WIM");
  ASSERT_EQ(want.size(), 3000017u);
  EXPECT_TRUE(ReadAll(s + "\\BOOT\\KRP8PE6L.WIM") == want);
  EXPECT_FALSE(Exists(s + "\\BOOT\\KRP8PE6L.WIM.~part"));

  // A nested file, by a name in other letter case, into a folder given with
  // quotation marks and a trailing backslash.
  EXPECT_EQ(RunCommand(t + "\\krpiso.krp -in " + s + "\\BOOT\\KRP8PE6F.ISO -get \\SUB\\DEEPER\\README.TXT -extract \"" +
                s + "\\\""),
            0u);
  EXPECT_EQ(ReadAll(s + "\\Readme.txt"), "deep\r\n");

  // A broken image: non-zero, and the WIM from the run before is gone, so
  // the chain's existence test sees the failure.
  Copy(fixture + "\\broken.iso", s + "\\BOOT\\KRP8PE6F.ISO");
  EXPECT_NE(RunCommand(line), 0u);
  EXPECT_FALSE(Exists(s + "\\BOOT\\KRP8PE6L.WIM"));
  // No image at all.
  DeleteFileW(W(s + "\\BOOT\\KRP8PE6F.ISO").c_str());
  EXPECT_NE(RunCommand(line), 0u);
  EXPECT_FALSE(Exists(s + "\\BOOT\\KRP8PE6L.WIM"));
}

#define G "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}"

TEST_F(ToolsUnderWine, EditorRunsEveryChainCommandAndTheRollback) {
  // S is our folder here, so nothing is written to the prefix's real C:\Boot.
  const std::string s = dir_ + "\\S", b_dir = dir_ + "\\dir with blank";
  MakeDir(s);
  MakeDir(b_dir);
  const std::string b = b_dir + "\\BCDEdit.exe";
  Copy(HostPath(LUMORA_BOOTSTORE_EXE), b);
  // The store file is named by LUMORA_BOOTSTORE: its default place,
  // %SystemDrive%\Boot\BCD, would be the shared prefix's own C:\Boot (a process
  // started here sees SystemDrive as C: whatever its parent set).
  const std::string store = s + "\\Boot\\BCD";
  SetEnv("LUMORA_BOOTSTORE", store);

  struct Chain {
    const char* name;
    std::vector<std::string> args;
    std::string exportPath;
    std::vector<std::string> storeLines;  // lines the store must hold afterwards
  };
  const Chain chains[] = {
      {"bios",
       {" /export " + s + "\\Boot\\BCD_JP", " /create " G " /d \"Lumora\" /application bootsector",
        " /set " G " path \\KRPPE.MBR", " /displayorder " G " /addlast", " /timeout 3", " /set " G " device boot",
        " /default " G},
       s + "\\Boot\\BCD_JP",
       {"[" G "]", "application=bootsector", "description=Lumora", "path=\\KRPPE.MBR", "device=boot",
        "default=" G, "displayorder=" G, "timeout=3"}},
      {"uefi",
       {" /export " + s + "\\EFI\\Microsoft\\Boot\\BCD_JP", " /create " G " /d \"Lumora\" /device",
        " /create " G " /d \"Lumora\" /application osloader", " /set " G " ramdisksdidevice partition=C:",
        " /set " G " ramdisksdipath \\boot\\boot.sdi", " /set " G " device                  ramdisk=[C:]\\boot\\KRP8PE6L.WIM,{ffffffff-8d96-11de-8e71-ffffffffffff}",
        " /set " G " path                    \\windows\\system32\\boot\\winload.efi",
        " /set " G " description             Lumora", " /set " G " locale                  zh-CN",
        " /set " G " inherit                 {bootloadersettings}",
        " /set " G " osdevice                ramdisk=[C:]\\boot\\KRP8PE6L.WIM,{ffffffff-8d96-11de-8e71-ffffffffffff}",
        " /set " G " systemroot              \\windows", " /set " G " detecthal               Yes",
        " /set " G " winpe                   Yes", " /displayorder " G " /addlast", " /timeout 3",
        " /default " G, " /set " G " testsigning on"},
       s + "\\EFI\\Microsoft\\Boot\\BCD_JP",
       {"application=osloader", "deviceoptions=yes", "ramdisksdidevice=partition=C:",
        "device=ramdisk=[C:]\\boot\\KRP8PE6L.WIM,{ffffffff-8d96-11de-8e71-ffffffffffff}",
        "osdevice=ramdisk=[C:]\\boot\\KRP8PE6L.WIM,{ffffffff-8d96-11de-8e71-ffffffffffff}",
        "path=\\windows\\system32\\boot\\winload.efi", "testsigning=Yes", "winpe=Yes", "default=" G}},
      {"ghost",
       {" /export " + s + "\\Boot\\BCD_", " /create " G " /d \"Lumora\" /application bootsector",
        " /set " G " path \\wvldr.mbr", " /displayorder " G " /addlast", " /timeout 3", " /default " G,
        " /set " G " device partition=C:"},
       s + "\\Boot\\BCD_",
       {"application=bootsector", "path=\\wvldr.mbr", "device=partition=C:", "default=" G}},
  };
  for (const Chain& c : chains) {
    SCOPED_TRACE(c.name);
    DeleteFileW(W(store).c_str());
    for (const std::string& a : c.args) EXPECT_EQ(RunCommand(b + a), 0u) << b + a;
    const std::string text = ReadAll(store);
    ASSERT_EQ(text.rfind("\xEF\xBB\xBF; Lumora boot store (text)\r\n", 0), 0u) << text;
    for (const std::string& line : c.storeLines)
      EXPECT_NE(text.find("\r\n" + line + "\r\n"), std::string::npos) << line << "\n" << text;
    const std::string exported = ReadAll(c.exportPath);
    EXPECT_EQ(exported.find(G), std::string::npos) << "the export holds the store from before";
    // The read-back lists our entry as the default and changes nothing;
    // anything else is refused and changes nothing either.
    EXPECT_EQ(RunCommand(b + " /enum {default} /v"), 0u);
    EXPECT_NE(RunCommand(b + " /enum {00000000-0000-0000-0000-000000000000}"), 0u);
    EXPECT_NE(RunCommand(b + " /enum {bootmgr} /x"), 0u);
    EXPECT_NE(RunCommand(b + " /set " G " device somewhere"), 0u);
    EXPECT_EQ(ReadAll(store), text);
    // The rollback through the editor brings back the store from before.
    EXPECT_EQ(RunCommand(b + " /import " + c.exportPath), 0u);
    EXPECT_EQ(ReadAll(store), exported);
  }

  // LUMORA_BOOTSTORE names another store file.
  const std::string other = dir_ + "\\other\\store.txt";
  SetEnv("LUMORA_BOOTSTORE", other);
  EXPECT_EQ(RunCommand(b + " /timeout 7"), 0u);
  EXPECT_NE(ReadAll(other).find("\r\ntimeout=7\r\n"), std::string::npos);
  EXPECT_EQ(ReadAll(store).find("timeout=7"), std::string::npos);
}

}  // namespace
