// Environment, system facts and resources of the simulated machine.
#include <cstdio>

#include "platform/sim/sim_parts.h"

namespace lum::sim {

constexpr std::uint32_t kErrProcNotFound = 127;

std::string SimMachine::EnvImpl::Get(const std::string& name) {
  if (m_.Failing("env.Get", {name})) return std::string();
  return m_.Env(name);
}

bool SimMachine::EnvImpl::Has(const std::string& name) {
  return m_.env_.count(UpperKey(name)) != 0;
}

void SimMachine::EnvImpl::Set(const std::string& name, const std::string& value) {
  m_.SetEnv(name, value);
}

std::optional<OsVersionRecord> SimMachine::SystemImpl::QueryOsVersion() {
  if (m_.Failing("system.GetVersionEx", {})) return std::nullopt;
  if (!m_.sys.version) m_.SetError(err::InvalidParameter);
  return m_.sys.version;
}

std::optional<std::uint16_t> SimMachine::SystemImpl::NativeArchitecture() {
  if (m_.Failing("system.NativeArchitecture", {})) return std::nullopt;
  if (!m_.sys.nativeArch) m_.SetError(kErrProcNotFound);
  return m_.sys.nativeArch;
}

std::optional<bool> SimMachine::SystemImpl::IsWow64Process() {
  if (m_.Failing("system.IsWow64Process", {})) return std::nullopt;
  if (!m_.sys.wow64) m_.SetError(kErrProcNotFound);
  return m_.sys.wow64;
}

int SimMachine::SystemImpl::GetSystemMetrics(int index) {
  auto it = m_.sys.metrics.find(index);
  return it == m_.sys.metrics.end() ? 0 : it->second;
}

std::uint32_t SimMachine::SystemImpl::SetErrorMode(std::uint32_t mode) {
  const std::uint32_t previous = m_.errorMode_;
  m_.errorMode_ = mode;
  m_.errorModesSet_.push_back(mode);
  return previous;
}

std::string SimMachine::SystemImpl::ErrorMessage(std::uint32_t code) {
  if (auto it = m_.errorMessages_.find(code); it != m_.errorMessages_.end()) return it->second;
  // The texts of a Simplified Chinese Windows for the codes the program meets.
  switch (code) {
    case 0: return "操作成功完成。";
    case 2: return "系统找不到指定的文件。";
    case 3: return "系统找不到指定的路径。";
    case 5: return "拒绝访问。";
    case 6: return "句柄无效。";
    case 21: return "设备未就绪。";
    case 32: return "另一个程序正在使用此文件，进程无法访问。";
    case 50: return "不支持该请求。";
    case 80: return "文件存在。";
    case 87: return "参数错误。";
    case 112: return "磁盘空间不足。";
    case 183: return "当文件已存在时，无法创建该文件。";
    default: break;
  }
  char buf[48];
  std::snprintf(buf, sizeof buf, "未知错误 (0x%X)。", code);
  return buf;
}

std::optional<Bytes> SimMachine::ResourcesImpl::Find(const std::string& type,
                                                     const std::string& name) {
  if (m_.Failing("resources.Find", {type, name})) return std::nullopt;
  std::string t = UpperKey(type), n = UpperKey(name);
  if (auto it = m_.resources_.find({t, n}); it != m_.resources_.end()) return it->second;
  bool typeKnown = false;
  for (const auto& kv : m_.resources_)
    if (kv.first.first == t) typeKnown = true;
  m_.SetError(typeKnown ? err::ResourceNameNotFound : err::ResourceTypeNotFound);
  return std::nullopt;
}

}  // namespace lum::sim
