#include "platform/sim/sim_machine.h"

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <system_error>

#include "lumora_version.h"
#include "platform/sim/sim_parts.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace lum::sim {

std::string UpperKey(std::string_view s) { return AsciiUpper(s); }

Bytes Utf16LeWithNul(const std::string& utf8) {
  std::u16string chars = Utf8ToUtf16(utf8);
  chars.push_back(u'\0');
  Bytes b;
  for (char16_t c : chars) {
    b.push_back(static_cast<std::uint8_t>(c & 0xFF));
    b.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return b;
}

static fs::path MakeTempRoot() {
  std::string pattern = (fs::temp_directory_path() / "lumora-sim-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create the simulated machine's root");
  return fs::path(pattern);
}

SimMachine::SimMachine()
    : root_(MakeTempRoot()),
      files_(std::make_unique<FilesImpl>(*this)),
      envImpl_(std::make_unique<EnvImpl>(*this)),
      codepage_(std::make_unique<CodePageImpl>(*this)),
      system_(std::make_unique<SystemImpl>(*this)),
      versionsImpl_(std::make_unique<VersionsImpl>(*this)),
      registryImpl_(std::make_unique<RegistryImpl>(*this)),
      processes_(std::make_unique<ProcessesImpl>(*this)),
      volumes_(std::make_unique<VolumesImpl>(*this)),
      shell_(std::make_unique<ShellImpl>(*this)),
      clock_(std::make_unique<ClockImpl>(*this)),
      resourcesImpl_(std::make_unique<ResourcesImpl>(*this)),
      pump_(std::make_unique<PumpImpl>(*this)),
      digests_(std::make_unique<DigestsImpl>(*this)) {
  platform_.reset(new Platform{*files_, *envImpl_, *codepage_, *system_, *versionsImpl_,
                               *registryImpl_, *processes_, *volumes_, *shell_, *clock_,
                               *resourcesImpl_, *pump_, *digests_});
  AddDrive('C');
  PutDir("C:\\Windows\\system32");
  PutDir("C:\\Windows\\temp");
  SetEnv("SystemDrive", "C:");
  SetEnv("SystemRoot", "C:\\Windows");
  SetEnv("windir", "C:\\Windows");
  SetEnv("temp", "C:\\Windows\\temp");
  SetEnv("tmp", "C:\\Windows\\temp");
  SetEnv("username", "Admin");
  SetEnv("COMPUTERNAME", "LUMORA-PC");
  PutFile(sys.modulePath, "MZ");
  SetFileVersion(sys.modulePath, MakeFileVersion(LUMORA_VERSION_MAJOR, LUMORA_VERSION_MINOR,
                                                 LUMORA_VERSION_PATCH, LUMORA_VERSION_TWEAK));
  UseWindows(6, 1, 7601, 1, true, "6.1.7601.17514");
  // An installed desktop system, not one inside setup.
  SetRegDword(RegRoot::LocalMachine, "SYSTEM\\Setup", "SetupType", 0);
  SetRegDword(RegRoot::LocalMachine, "SYSTEM\\Setup", "SystemSetupInProgress", 0);
}

SimMachine::~SimMachine() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

// ---- drives and path resolution ----

void SimMachine::AddDrive(char letter, const DriveSpec& setup) {
  char l = AsciiUpper(std::string(1, letter))[0];
  DriveSlot& d = drives_[l];
  d.setup = setup;
  if (d.setup.dosDevice.empty()) d.setup.dosDevice = "\\Device\\HarddiskVolume" + std::to_string(nextVolume_++);
  d.folder = root_ / std::string(1, l);
  if (setup.media) fs::create_directories(d.folder);
}

void SimMachine::RemoveDrive(char letter) {
  char l = AsciiUpper(std::string(1, letter))[0];
  auto it = drives_.find(l);
  if (it == drives_.end()) return;
  std::error_code ec;
  fs::remove_all(it->second.folder, ec);
  drives_.erase(it);
}

const DriveSpec& SimMachine::Drive(char letter) const {
  return drives_.at(AsciiUpper(std::string(1, letter))[0]).setup;
}

static std::string JoinKey(const std::string& parent, const std::string& name) {
  return parent.back() == '\\' ? parent + UpperKey(name) : parent + "\\" + UpperKey(name);
}

std::optional<SimMachine::Resolved> SimMachine::Resolve(const std::string& winPath,
                                                        std::uint32_t& error) const {
  std::string p = winPath;
  std::replace(p.begin(), p.end(), '/', '\\');
  if (p.size() < 2 || p[1] != ':' || !std::isalpha(static_cast<unsigned char>(p[0]))) {
    error = err::PathNotFound;  // relative paths have no meaning on this machine
    return std::nullopt;
  }
  auto it = drives_.find(AsciiUpper(p.substr(0, 1))[0]);
  if (it == drives_.end()) {
    error = err::PathNotFound;
    return std::nullopt;
  }
  if (!it->second.setup.media) {
    error = err::NotReady;
    return std::nullopt;
  }
  std::vector<std::string> comps;
  for (std::string& c : SplitOn(p.substr(2), '\\')) {
    if (c.empty() || c == ".") continue;
    if (c == "..") {
      if (!comps.empty()) comps.pop_back();
      continue;
    }
    comps.push_back(std::move(c));
  }
  Resolved r;
  r.letter = it->first;
  r.host = it->second.folder;
  r.key = std::string(1, r.letter) + ":\\";
  r.isRoot = comps.empty();
  for (const std::string& c : comps) {
    std::string actual = c;
    std::error_code ec;
    if (fs::is_directory(r.host, ec)) {
      std::string want = UpperKey(c);
      for (const fs::directory_entry& e : fs::directory_iterator(r.host, ec)) {
        std::string name = e.path().filename().string();
        if (UpperKey(name) == want) {
          actual = name;
          break;
        }
      }
    }
    r.host /= actual;
    r.key = JoinKey(r.key, c);
  }
  return r;
}

std::optional<SimMachine::Resolved> SimMachine::Resolve(const std::string& winPath) const {
  std::uint32_t ignored = 0;
  return Resolve(winPath, ignored);
}

fs::path SimMachine::Host(const std::string& winPath) const {
  std::optional<Resolved> r = Resolve(winPath);
  return r ? r->host : fs::path();
}

void SimMachine::PutDir(const std::string& winPath) {
  std::optional<Resolved> r = Resolve(winPath);
  if (!r) throw std::invalid_argument("no such drive: " + winPath);
  fs::create_directories(r->host);
}

void SimMachine::PutFile(const std::string& winPath, std::string_view content) {
  std::optional<Resolved> r = Resolve(winPath);
  if (!r || r->isRoot) throw std::invalid_argument("not a file path on a drive: " + winPath);
  fs::create_directories(r->host.parent_path());
  std::FILE* f = std::fopen(r->host.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + r->host.string());
  std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);
}

std::optional<std::string> SimMachine::ReadFile(const std::string& winPath) const {
  std::optional<Resolved> r = Resolve(winPath);
  std::error_code ec;
  if (!r || !fs::is_regular_file(r->host, ec)) return std::nullopt;
  std::FILE* f = std::fopen(r->host.c_str(), "rb");
  if (!f) return std::nullopt;
  std::string out;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

bool SimMachine::Exists(const std::string& winPath) const {
  std::optional<Resolved> r = Resolve(winPath);
  std::error_code ec;
  return r && fs::exists(r->host, ec);
}

std::uint32_t SimMachine::Attributes(const std::string& winPath) const {
  std::optional<Resolved> r = Resolve(winPath);
  std::error_code ec;
  if (!r || !fs::exists(r->host, ec)) return kInvalidAttributes;
  auto it = attributes_.find(r->key);
  if (it != attributes_.end()) return it->second;
  return fs::is_directory(r->host, ec) ? kAttrDirectory : kAttrArchive;
}

std::vector<SimTreeEntry> SimMachine::Tree(const std::string& winDir) const {
  std::vector<SimTreeEntry> out;
  std::optional<Resolved> r = Resolve(winDir);
  std::error_code ec;
  if (!r || !fs::is_directory(r->host, ec)) return out;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(r->host, ec)) {
    std::string rel = fs::relative(e.path(), r->host, ec).string();
    std::replace(rel.begin(), rel.end(), '/', '\\');
    SimTreeEntry t;
    t.isDir = e.is_directory(ec);
    t.path = t.isDir ? rel + "\\" : rel;
    std::string key = JoinKey(r->key, rel);
    auto it = attributes_.find(key);
    t.attributes = it != attributes_.end() ? it->second : (t.isDir ? kAttrDirectory : kAttrArchive);
    t.size = t.isDir ? 0 : e.file_size(ec);
    out.push_back(t);
  }
  std::sort(out.begin(), out.end(),
            [](const SimTreeEntry& a, const SimTreeEntry& b) { return a.path < b.path; });
  return out;
}

std::string SimMachine::TreeText(const std::string& winDir) const {
  std::string out;
  for (const SimTreeEntry& e : Tree(winDir)) {
    char attr[16];
    std::snprintf(attr, sizeof attr, "0x%02X", e.attributes);
    out += e.path + " " + attr + " " + std::to_string(e.size) + "\n";
  }
  return out;
}

// ---- environment ----

void SimMachine::SetEnv(const std::string& name, const std::string& value) {
  env_[UpperKey(name)] = {name, value};
}

void SimMachine::UnsetEnv(const std::string& name) { env_.erase(UpperKey(name)); }

std::string SimMachine::Env(const std::string& name) const {
  auto it = env_.find(UpperKey(name));
  return it == env_.end() ? std::string() : it->second.second;
}

void SimMachine::SetErrorMessage(std::uint32_t code, const std::string& text) {
  errorMessages_[code] = text;
}

// ---- resources ----

void SimMachine::AddResource(const std::string& type, const std::string& name, const Bytes& data) {
  resources_[{UpperKey(type), UpperKey(name)}] = data;
}

void SimMachine::AddResource(const std::string& type, const std::string& name,
                             std::string_view data) {
  AddResource(type, name, Bytes(data.begin(), data.end()));
}

// ---- clock ----

void SimMachine::SetLocalTime(const LocalTime& t) {
  timeBase_ = t;
  timeBaseTick_ = tick_;
}

LocalTime SimMachine::ClockImpl::Now() {
  using namespace std::chrono;
  const LocalTime& b = m_.timeBase_;
  sys_days day = year_month_day{year{b.year}, month{static_cast<unsigned>(b.month)},
                                std::chrono::day{static_cast<unsigned>(b.day)}};
  milliseconds t = hours{b.hour} + minutes{b.minute} + seconds{b.second} + milliseconds{b.millisecond} +
                   milliseconds{static_cast<long long>(m_.tick_ - m_.timeBaseTick_)};
  sys_time<milliseconds> when = day + t;
  sys_days d = floor<days>(when);
  year_month_day ymd{d};
  hh_mm_ss<milliseconds> hms{when - d};
  LocalTime out;
  out.year = static_cast<int>(ymd.year());
  out.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  out.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  out.hour = static_cast<int>(hms.hours().count());
  out.minute = static_cast<int>(hms.minutes().count());
  out.second = static_cast<int>(hms.seconds().count());
  out.millisecond = static_cast<int>(hms.subseconds().count());
  return out;
}

// ---- failure injection ----

void SimMachine::Fail(const std::string& operation, const std::string& argContains,
                      std::uint32_t error, int count) {
  failures_.push_back({operation, UpperKey(argContains), error, count});
}

bool SimMachine::Failing(std::string_view op, std::initializer_list<std::string_view> args) {
  for (Failure& f : failures_) {
    if (f.op != op || f.count == 0) continue;
    bool match = f.arg.empty();
    for (std::string_view a : args)
      if (!match && UpperKey(a).find(f.arg) != std::string::npos) match = true;
    if (!match) continue;
    if (f.count > 0) --f.count;
    lastError_ = f.error;
    return true;
  }
  return false;
}

}  // namespace lum::sim
