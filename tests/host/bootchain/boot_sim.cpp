#include "tests/host/bootchain/boot_sim.h"

#include <fstream>
#include <sstream>

#include "boot/pe_boot.h"
#include "platform/text.h"
#include "tests/host/boot/test_support.h"
#include "tools/bootstore/bootstore_tool.h"
#include "tools/common/command_line.h"
#include "tools/isoextract/extract_tool.h"

namespace lum::test {
namespace {

constexpr char kIsoTool[] = "C:\\Windows\\temp\\krpiso.krp";
constexpr std::uint32_t kSharingViolation = 32;

// The build's payload list: "TYPE<TAB>NAME<TAB>host path" lines.
const std::map<std::string, std::string>& PayloadFiles() {
  static const std::map<std::string, std::string> table = [] {
    std::map<std::string, std::string> t;
    std::ifstream in(LUMORA_PAYLOAD_LIST);
    std::string type, name, path;
    while (in >> type >> name >> path) t[AsciiUpper(type + "/" + name)] = path;
    return t;
  }();
  return table;
}

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The editor stand-in's files and environment, on the simulated drives.
class SimStoreFiles final : public IStoreFiles {
 public:
  explicit SimStoreFiles(Platform& p) : p_(p) {}
  bool Exists(const std::string& path) override { return p_.files.FileExists(path); }
  std::optional<std::string> Read(const std::string& path, std::size_t maxBytes) override {
    std::optional<std::uint64_t> size = p_.files.Size(path);
    if (!size || *size > maxBytes) return std::nullopt;
    std::optional<Bytes> data = p_.files.Read(path);
    if (!data) return std::nullopt;
    return std::string(data->begin(), data->end());
  }
  bool Replace(const std::string& path, const std::string& data) override {
    ForceDirectories(p_.files, ExtractFileDir(path));
    const std::string temp = path + ".~new";
    return p_.files.Write(temp, Bytes(data.begin(), data.end())) && p_.files.Move(temp, path);
  }
  std::string Env(const std::string& name) override { return p_.env.Get(name); }
  std::string LastErrorText() override { return "error " + std::to_string(p_.system.LastError()); }

 private:
  Platform& p_;
};

class OwnedReadAt final : public IReadAt {
 public:
  explicit OwnedReadAt(Bytes data) : data_(std::move(data)), view_(data_.data(), data_.size()) {}
  std::uint64_t Size() const override { return view_.Size(); }
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    return view_.ReadAt(offset, buffer, n);
  }

 private:
  Bytes data_;
  MemoryReadAt view_;
};

class SimOutput final : public IOutputFile {
 public:
  SimOutput(Platform& p, std::string target) : p_(p), target_(std::move(target)) {}
  bool Write(const void* data, std::size_t n) override { return sink_.Write(data, n); }
  bool Commit() override {
    const std::string temp = target_ + ".~part";
    return p_.files.Write(temp, sink_.bytes) && p_.files.Move(temp, target_);
  }

 private:
  Platform& p_;
  std::string target_;
  MemorySink sink_;
};

// The ISO tool's files, on the simulated drives.
class SimExtractFiles final : public IExtractFiles {
 public:
  explicit SimExtractFiles(Platform& p) : p_(p) {}
  std::unique_ptr<IReadAt> OpenImage(const std::string& path) override {
    std::optional<Bytes> data = p_.files.Read(path);
    if (!data) return nullptr;
    return std::make_unique<OwnedReadAt>(std::move(*data));
  }
  bool IsDirectory(const std::string& path) override { return p_.files.DirExists(path); }
  std::unique_ptr<IOutputFile> CreateOutput(const std::string& target) override {
    return std::make_unique<SimOutput>(p_, target);
  }
  bool Remove(const std::string& path) override { return p_.files.Delete(path); }
  std::string JoinPath(const std::string& dir, const std::string& name) override {
    return IncludeTrailingBackslash(dir) + name;
  }
  bool SamePath(const std::string& a, const std::string& b) override { return SameTextAscii(a, b); }
  std::string LastErrorText() override { return "error " + std::to_string(p_.system.LastError()); }

 private:
  Platform& p_;
};

// The PE image: an ISO 9660 image made by xorriso, holding /BOOT/KRP8PE6L.WIM.
const Bytes& PeImage() {
  static const Bytes iso = [] {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "tree" / "BOOT");
    WriteHostFile(dir.path() / "tree" / "BOOT" / "KRP8PE6L.WIM", B(std::string("MSWIM\0\0\0", 8) + "PE boot image"));
    const std::string iso = (dir.path() / "pe.iso").string();
    if (!Shell("xorriso -as mkisofs -quiet -J -R -o '" + iso + "' '" + (dir.path() / "tree").string() +
               "' 2>/dev/null"))
      throw std::runtime_error("xorriso failed");
    return ReadHostFile(iso);
  }();
  return iso;
}

bool IsEditor(const std::string& commandLine) {
  for (const char* e : {kSystemEditor, kSysnativeEditor, kCarriedEditor})
    if (StartsWithAscii(commandLine, e)) return true;
  return false;
}

}  // namespace

std::string PayloadBytes(const std::string& type, const std::string& name) {
  const std::string key = AsciiUpper(type + "/" + name);
  // The two tools are not built in the host tree; any bytes stand for them.
  if (key == "FUN/BEDIT") return "MZ boot-store editor stand-in";
  if (key == "ISO/MAK") return "MZ ISO tool stand-in";
  auto it = PayloadFiles().find(key);
  if (it == PayloadFiles().end()) throw std::runtime_error("no payload " + key);
  return ReadHost(it->second);
}

std::string StandinBytes(const std::string& file) {
  return ReadHost(std::string(LUMORA_PAYLOAD_BUILD_DIR) + "/standin/" + file);
}

DriveState Snapshot(const sim::SimMachine& m, const std::string& winDir, bool withUndoRecord) {
  DriveState out;
  const std::string base = IncludeTrailingBackslash(winDir);
  for (const sim::SimTreeEntry& e : m.Tree(base)) {
    if (!withUndoRecord && base.size() == 3 && AsciiUpper(e.path).rfind("ZQUNDO\\", 0) == 0) continue;
    EntryState s;
    s.attributes = e.attributes;
    s.isDir = e.isDir;
    if (!e.isDir) s.content = m.ReadFile(base + e.path).value_or("<unreadable>");
    out[AsciiUpper(e.path)] = s;
  }
  return out;
}

std::vector<std::string> Diff(const DriveState& before, const DriveState& after) {
  auto hex = [](std::uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%02X", v);
    return std::string(b);
  };
  std::vector<std::string> out;
  for (const auto& [path, s] : after) {
    auto it = before.find(path);
    if (it == before.end()) {
      out.push_back("+ " + path + " " + hex(s.attributes));
      continue;
    }
    if (it->second.attributes != s.attributes)
      out.push_back("~ " + path + " " + hex(it->second.attributes) + "->" + hex(s.attributes));
    if (it->second.content != s.content) out.push_back("~ " + path + " content");
  }
  for (const auto& [path, s] : before)
    if (!after.count(path)) out.push_back("- " + path);
  return Changes(std::move(out));
}

std::vector<std::string> Changes(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return a.substr(2) < b.substr(2) || (a.substr(2) == b.substr(2) && a < b);
  });
  return lines;
}

bool BootPartition::DefineDevice(std::uint32_t flags, const std::string& name,
                                 const std::string& target) {
  const char letter = AsciiUpper(name.substr(0, 1))[0];
  calls.push_back((flags & 2) ? "remove " + name : "define " + name + " " + target);
  if (!inner_.DefineDevice(flags, name, target)) return false;
  const std::string root = std::string(1, letter) + ":\\";
  if (flags & 2) {
    if (mapped_ == letter) {
      files = Snapshot(m_, root);
      m_.RemoveDrive(letter);
      mapped_ = 0;
    }
  } else if ((flags & 1) && target == "\\Device\\Harddisk" + std::to_string(disk_) + "\\Partition1") {
    sim::DriveSpec setup;
    setup.disk = disk_;
    setup.partition = 1;
    setup.totalBytes = setup.freeBytes = 100u << 20;
    m_.AddDrive(letter, setup);
    for (const auto& [path, s] : files) {
      if (s.isDir) continue;
      m_.PutFile(root + path, s.content);
      m_.platform().files.SetAttributes(root + path, s.attributes);
    }
    mapped_ = letter;
  }
  return true;
}

const char BootSim::kBootIni[] =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /noexecute=optin /fastdetect\r\n";

std::string BootSim::StoreBefore() {
  return "\xEF\xBB\xBF; Lumora boot store (text)\r\n"
         "\r\n[{bootmgr}]\r\napplication=bootmgr\r\ndisplayorder={11111111-2222-3333-4444-555555555555}\r\n"
         "default={11111111-2222-3333-4444-555555555555}\r\ntimeout=30\r\n"
         "\r\n[{11111111-2222-3333-4444-555555555555}]\r\napplication=osloader\r\ndescription=Windows 7\r\n"
         "device=partition=C:\r\npath=\\Windows\\system32\\winload.exe\r\n";
}

BootSim::BootSim()
    : ini_(m.platform().files, m.platform().codepage),
      bootPartition_(std::make_unique<BootPartition>(m, m.platform().volumes, 0)),
      platform_{m.platform().files,    m.platform().env,     m.platform().codepage,
                m.platform().system,   m.platform().versions, m.platform().registry,
                m.platform().processes, *bootPartition_,      m.platform().shell,
                m.platform().clock,    m.platform().resources, m.platform().pump,
                m.platform().digests} {
  for (const auto& [key, path] : PayloadFiles()) {
    std::size_t slash = key.find('/');
    m.AddResource(key.substr(0, slash), key.substr(slash + 1), ReadHost(path));
  }
  m.AddResource("FUN", "BEDIT", PayloadBytes("fun", "bedit"));
  m.AddResource("ISO", "MAK", PayloadBytes("iso", "mak"));

  sim::DriveSpec data;
  data.disk = 0;
  data.partition = 2;
  m.AddDrive('D', data);
  PutBytes(m, "D:\\ZqGhost\\win7x64.gho", B(std::string("\xFE\xEF\x01\x00ghost image", 15)));
  PutBytes(m, "C:\\BOOT\\KRP8PE6F.ISO", PeImage());
  m.PutFile("C:\\Boot\\BCD", StoreBefore());
  UseWin7(true);

  for (const char* editor : {kSystemEditor, kSysnativeEditor, kCarriedEditor}) {
    const std::string path = editor;
    m.RegisterProgram(path, [path](sim::SimRun& run) -> sim::SimExit {
      if (!run.machine.Exists(path)) return 9009;  // no such program
      SimStoreFiles files(run.machine.platform());
      StoreResult r = RunBootStore(run.commandLine.substr(path.size()), files);
      run.Write(r.message);
      return r.exitCode;
    });
  }
  // cmd /c as Windows runs it: a command that starts with a quotation mark
  // loses its first and last one, then the first word names the program,
  // whatever its extension. Only the ISO tool is known here.
  m.RegisterProgram("cmd /c ", [](sim::SimRun& run) -> sim::SimExit {
    std::string text = run.commandLine.substr(std::strlen("cmd /c "));
    if (!text.empty() && text.front() == '"') {
      text.erase(0, 1);
      if (std::size_t last = text.rfind('"'); last != std::string::npos) text.erase(last, 1);
    }
    std::vector<CommandArg> words = SplitArguments(text);
    if (words.empty() || !run.machine.Exists(words[0].text) ||
        !AsciiUpper(words[0].text).ends_with("\\KRPISO.KRP"))
      return 1;  // cmd: not found
    std::vector<std::string> args;
    for (std::size_t i = 1; i < words.size(); ++i) args.push_back(words[i].text);
    SimExtractFiles files(run.machine.platform());
    ExtractResult r = RunIsoExtract(args, files);
    run.Write(r.message);
    return r.exitCode;
  });
}

void BootSim::UseXp() {
  m.UseWindows(5, 1, 2600, 3, false, "5.1.2600.5512");
  m.PutFile("C:\\boot.ini", kBootIni);
  m.platform().files.SetAttributes("C:\\boot.ini", 0x07);
  // XP keeps no boot store on the system drive.
  m.platform().files.Delete("C:\\Boot\\BCD");
}

void BootSim::UseWin7(bool x64) { m.UseWindows(6, 1, 7601, 1, x64, "6.1.7601.17514"); }

void BootSim::InstallSystemEditor(const std::string& path) { m.PutFile(path, "MZ system editor"); }

void BootSim::LockLiveStore() { m.Fail("files.Copy", "C:\\Boot\\BCD", kSharingViolation); }

std::vector<std::string> BootSim::AllEditorCalls() const {
  std::vector<std::string> out;
  for (const std::string& line : m.Started())
    if (IsEditor(line)) out.push_back(line);
  return out;
}

std::vector<std::string> BootSim::EditorCalls() const {
  std::vector<std::string> out;
  for (const std::string& line : AllEditorCalls())
    if (line.find("\\ZqUndo\\") == std::string::npos && line.find(" /enum ") == std::string::npos)
      out.push_back(line);
  return out;
}

bool BootSim::RunPe(bool uefi, std::string& error, const std::string& image) {
  UndoJournal journal(p());
  BootRun run{journal, stop ? stop : [] { return false; }};
  const bool ok = PreparePeBoot(p(), ini_, run, image, "x86", "5", error, uefi, "Lumora", "", "", "");
  stopped = run.stopped;
  return ok;
}

bool BootSim::UndoEarlierRun() {
  UndoJournal journal(p());
  return !journal.HasRecord() || journal.Undo();
}

TGhofilesysinfo BootSim::WorkflowGhostInfo() {
  TGhofilesysinfo info;
  info.GhofilePath = "1:2\\ZqGhost\\win7x64.gho";
  info.GhofilesRpartition = "1";
  info.Restorepartitionid = "1:1";
  return info;
}

bool BootSim::RunGhost(std::string& error) {
  UndoJournal journal(p());
  BootRun run{journal, stop ? stop : [] { return false; }};
  const bool ok = PrepareGhostBoot(p(), ini_, run, WorkflowGhostInfo(), "Lumora", error);
  stopped = run.stopped;
  return ok;
}

std::vector<std::string> BootSim::OtherStarts() const {
  std::vector<std::string> out;
  for (const std::string& line : m.Started())
    if (!IsEditor(line)) out.push_back(line);
  return out;
}

std::string BootSim::Store() const { return m.ReadFile("C:\\Boot\\BCD").value_or("<missing>"); }

}  // namespace lum::test
