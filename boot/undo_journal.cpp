#include "boot/undo_journal.h"

#include <cstdio>

#include "boot/bcd_editor.h"
#include "boot/boot_paths.h"
#include "boot/payload_table.h"
#include "inspect/volumes.h"
#include "platform/text.h"

namespace lum {
namespace {

constexpr char kListName[] = "undo.lst";
constexpr char kStoreExport[] = "store.bcd";
constexpr std::uint32_t kFolderAttributes = kAttrHidden | kAttrSystem;
constexpr std::uint32_t kDddRawTargetPath = 1, kDddRemoveDefinition = 2;

std::string Hex(std::uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "%X", v);
  return b;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  for (;;) {
    std::size_t tab = line.find('\t', at);
    parts.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
    if (tab == std::string::npos) return parts;
    at = tab + 1;
  }
}

// The folders of a path from the outermost down, without the drive: "C:\A\B"
// gives C:\A and C:\A\B.
std::vector<std::string> FolderChain(const std::string& dir) {
  std::vector<std::string> chain;
  std::string d = dir;
  while (!d.empty() && d.back() == '\\') d.pop_back();
  for (std::size_t at = d.find('\\'); at != std::string::npos; at = d.find('\\', at + 1))
    if (at > 2) chain.push_back(d.substr(0, at));
  if (d.size() > 2) chain.push_back(d);
  return chain;
}

}  // namespace

UndoJournal::UndoJournal(Platform& p) : p_(p), folder_(SystemDrive(p) + "\\ZqUndo\\") {}

void UndoJournal::Load() {
  if (loaded_) return;
  loaded_ = true;
  entries_.clear();
  std::optional<Bytes> raw = p_.files.Read(folder_ + kListName);
  if (!raw) return;
  std::string text(raw->begin(), raw->end());
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> f = SplitTabs(line);
    Entry e;
    if (f.size() == 4 && f[0] == "F") {
      e.kind = 'F';
      e.attributes = static_cast<std::uint32_t>(std::strtoul(f[1].c_str(), nullptr, 16));
      e.saved = f[2];
      e.path = f[3];
    } else if (f.size() == 2 && (f[0] == "A" || f[0] == "D")) {
      e.kind = f[0][0];
      e.path = f[1];
    } else if (f.size() == 5 && f[0] == "P") {
      e.kind = 'P';
      e.attributes = static_cast<std::uint32_t>(std::strtoul(f[1].c_str(), nullptr, 16));
      e.saved = f[2] == "-" ? "" : f[2];
      e.device = f[3];
      e.path = f[4];
    } else if (f.size() == 2 && f[0] == "S") {
      e.kind = 'S';
      e.saved = f[1];
    } else {
      continue;  // a line cut short by a power cut: its change never happened
    }
    entries_.push_back(e);
  }
}

bool UndoJournal::HasRecord() {
  Load();
  return !entries_.empty() || p_.files.DirExists(folder_);
}

bool UndoJournal::Holds(char kind, const std::string& path) {
  Load();
  for (const Entry& e : entries_) {
    if (kind == 'S' ? e.kind == 'S' : (e.kind != 'S' && SameTextAscii(e.path, path))) return true;
  }
  return false;
}

bool UndoJournal::EnsureFolder() {
  if (p_.files.DirExists(folder_)) return true;
  if (!p_.files.CreateDir(folder_)) return false;
  p_.files.SetAttributes(folder_, kFolderAttributes);
  return true;
}

// The line reaches the disk after whatever it names (a saved copy, an
// export), so a record never claims a copy that is not there.
bool UndoJournal::Append(const Entry& e) {
  std::string line;
  switch (e.kind) {
    case 'F': line = "F\t" + Hex(e.attributes) + "\t" + e.saved + "\t" + e.path; break;
    case 'S': line = "S\t" + e.saved; break;
    case 'P':
      line = "P\t" + Hex(e.attributes) + "\t" + (e.saved.empty() ? "-" : e.saved) + "\t" + e.device + "\t" +
             e.path;
      break;
    default: line = std::string(1, e.kind) + "\t" + e.path; break;
  }
  line += "\r\n";
  if (!p_.files.Append(folder_ + kListName, Bytes(line.begin(), line.end()))) return false;
  entries_.push_back(e);
  return true;
}

bool UndoJournal::Keep(const std::string& path) {
  if (Holds('F', path)) return true;
  if (!EnsureFolder()) return false;
  Entry e;
  e.path = path;
  if (p_.files.FileExists(path)) {
    e.kind = 'F';
    e.attributes = p_.files.GetAttributes(path);
    e.saved = std::to_string(entries_.size() + 1) + ".sav";
    const std::string copy = folder_ + e.saved;
    // A copy keeps the source's read-only attribute; the saved copy is ours.
    if (!p_.files.Copy(path, copy, false) || !p_.files.FileExists(copy)) return false;
    p_.files.SetAttributes(copy, kAttrPlain);
  } else {
    e.kind = 'A';
  }
  return Append(e);
}

bool UndoJournal::KeepOnDevice(const std::string& letter, const std::string& device,
                               const std::string& name) {
  Load();
  for (const Entry& e : entries_)
    if (e.kind == 'P' && SameTextAscii(e.device, device) && SameTextAscii(e.path, name)) return true;
  if (!EnsureFolder()) return false;
  Entry e;
  e.kind = 'P';
  e.device = device;
  e.path = name;
  const std::string file = letter + "\\" + name;
  if (p_.files.FileExists(file)) {
    e.attributes = p_.files.GetAttributes(file);
    e.saved = std::to_string(entries_.size() + 1) + ".sav";
    const std::string copy = folder_ + e.saved;
    if (!p_.files.Copy(file, copy, false) || !p_.files.FileExists(copy)) return false;
    p_.files.SetAttributes(copy, kAttrPlain);
  }
  return Append(e);
}

bool UndoJournal::RestoreOnDevice(const Entry& e) {
  const std::string letter = GetFreeDriveLetter(p_);
  if (letter.empty() || !p_.volumes.DefineDevice(kDddRawTargetPath, letter, e.device)) return false;
  Entry local = e;
  local.kind = e.saved.empty() ? 'A' : 'F';
  local.path = letter + "\\" + e.path;
  const bool ok = RestoreFile(local);
  p_.volumes.DefineDevice(kDddRemoveDefinition, letter, "");
  return ok;
}

bool UndoJournal::KeepDirs(const std::string& dir) {
  for (const std::string& d : FolderChain(dir)) {
    if (p_.files.DirExists(d) || Holds('D', d)) continue;
    if (!EnsureFolder()) return false;
    Entry e;
    e.kind = 'D';
    e.path = d;
    if (!Append(e)) return false;
  }
  return true;
}

bool UndoJournal::KeepStore(const std::string& editor) {
  if (Holds('S', "")) return true;
  if (!EnsureFolder()) return false;
  Entry e;
  e.kind = 'S';
  e.saved = kStoreExport;
  const std::string file = folder_ + e.saved;
  p_.files.Delete(file);
  if (!RunBcdEdit(p_, editor, BcdExportArgs(file)) || !p_.files.FileExists(file)) return false;
  return Append(e);
}

bool UndoJournal::RestoreStore(const Entry& e) {
  const std::string file = folder_ + e.saved;
  if (!p_.files.FileExists(file)) return false;
  // The carried editor may have been taken away again; it is written for the
  // import and taken away afterwards.
  const std::string carried = PayloadPath(p_, payload::kEditor);
  const bool hadCarried = p_.files.FileExists(carried);
  const std::string editor = LocateBcdEdit(p_);
  const bool ok = RunBcdEdit(p_, editor, BcdImportArgs(file));
  if (!hadCarried && SameTextAscii(editor, carried)) p_.files.Delete(carried);
  return ok;
}

bool UndoJournal::RestoreFile(const Entry& e) {
  IFiles& f = p_.files;
  if (e.kind == 'D') {
    if (f.DirExists(e.path)) f.RemoveDir(e.path);  // only when empty: what others put there stays
    return true;
  }
  f.SetAttributes(e.path, kAttrPlain);
  if (e.kind == 'A') {
    f.Delete(e.path);
    return !f.FileExists(e.path);
  }
  const std::string copy = folder_ + e.saved;
  if (!f.Copy(copy, e.path, false)) return false;
  f.SetAttributes(e.path, e.attributes);
  return f.FileExists(e.path);
}

bool UndoJournal::Undo() {
  Load();
  bool ok = true;
  for (const Entry& e : entries_)
    if (e.kind == 'S' && !RestoreStore(e)) ok = false;
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (it->kind == 'S') continue;
    if (!(it->kind == 'P' ? RestoreOnDevice(*it) : RestoreFile(*it))) ok = false;
  }
  if (!ok) return false;
  if (p_.files.DirExists(folder_)) p_.files.DeleteTree(folder_);
  entries_.clear();
  return !p_.files.DirExists(folder_);
}

bool BootRun::StopHere() {
  if (stopped) return true;
  if (!stopRequested || !stopRequested()) return false;
  undone = journal.Undo();
  stopped = true;
  return true;
}

}  // namespace lum
