// Programs as handlers registered by command-line prefix, processes that run
// in simulated time, and the ToolHelp process list.
#include <stdexcept>

#include "platform/sim/sim_parts.h"
#include "platform/text.h"

namespace lum::sim {

constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
// A captured program that never ends is given up after this many pump turns.
constexpr int kCaptureTurnLimit = 100000;

void SimMachine::RegisterProgram(const std::string& prefix, SimProgram handler) {
  programs_.emplace_back(prefix, std::move(handler));
}

const SimProgram* SimMachine::FindProgram(const std::string& commandLine) const {
  const SimProgram* best = nullptr;
  std::size_t bestLen = 0;
  for (const auto& [prefix, handler] : programs_) {
    if (StartsWithAscii(commandLine, prefix) && (!best || prefix.size() >= bestLen)) {
      best = &handler;
      bestLen = prefix.size();
    }
  }
  return best;
}

bool SimMachine::Launch(const std::string& commandLine, int show, Process& out) {
  const SimProgram* program = FindProgram(commandLine);
  if (!program) {
    failedStarts_.push_back(commandLine);
    lastError_ = err::FileNotFound;
    return false;
  }
  started_.push_back(commandLine);
  SimProgram handler = *program;  // the handler may register programs itself
  SimRun run{*this, commandLine, show, {}};
  SimExit exit = handler(run);
  out.commandLine = commandLine;
  out.output = std::move(run.output);
  out.exitCode = exit.code;
  out.running = exit.running;
  if (exit.running && exit.runMs) out.endTick = tick_ + *exit.runMs;
  return true;
}

void SimMachine::Settle(Process& proc) const {
  if (proc.running && proc.endTick && tick_ >= *proc.endTick) proc.running = false;
}

int SimMachine::EndProcesses(const std::string& prefix, std::uint32_t exitCode) {
  int n = 0;
  for (auto& [handle, proc] : procs_) {
    if (proc.running && StartsWithAscii(proc.commandLine, prefix)) {
      proc.running = false;
      proc.exitCode = exitCode;
      ++n;
    }
  }
  return n;
}

std::uint32_t SimMachine::AddProcess(const std::string& exeFile) {
  std::uint32_t pid = nextPid_;
  nextPid_ += 4;
  processList_.push_back(ProcessEntry{pid, exeFile});
  return pid;
}

std::optional<ProcHandle> SimMachine::ProcessesImpl::Start(const std::string& commandLine, int show) {
  if (m_.Failing("processes.Start", {commandLine})) {
    m_.failedStarts_.push_back(commandLine);
    return std::nullopt;
  }
  Process proc;
  if (!m_.Launch(commandLine, show, proc)) return std::nullopt;
  ProcHandle h = m_.nextProc_++;
  m_.procs_[h] = std::move(proc);
  return h;
}

std::uint32_t SimMachine::ProcessesImpl::Wait(ProcHandle process, std::uint32_t milliseconds) {
  auto it = m_.procs_.find(process);
  if (it == m_.procs_.end()) {
    m_.SetError(err::InvalidHandle);
    return kWaitFailed;
  }
  Process& p = it->second;
  m_.Settle(p);
  if (!p.running) return kWaitObject0;
  if (p.endTick) {
    std::uint64_t remaining = *p.endTick - m_.tick_;
    if (milliseconds == kInfinite || milliseconds >= remaining) {
      m_.tick_ = *p.endTick;
      p.running = false;
      return kWaitObject0;
    }
  } else if (milliseconds == kInfinite) {
    throw std::logic_error("endless wait on a simulated program that never ends: " + p.commandLine);
  }
  m_.tick_ += milliseconds;
  return kWaitTimeout;
}

std::uint32_t SimMachine::ProcessesImpl::ExitCode(ProcHandle process) {
  auto it = m_.procs_.find(process);
  if (it == m_.procs_.end()) {
    m_.SetError(err::InvalidHandle);
    return 0;
  }
  m_.Settle(it->second);
  return it->second.running ? kStillActive : it->second.exitCode;
}

void SimMachine::ProcessesImpl::Close(ProcHandle process) { m_.procs_.erase(process); }

CaptureResult SimMachine::ProcessesImpl::RunCaptured(const std::string& commandLine,
                                                     const std::function<void()>& pump) {
  CaptureResult result;
  if (m_.Failing("processes.RunCaptured", {commandLine})) {
    m_.failedStarts_.push_back(commandLine);
    result.error = m_.lastError_;
    return result;
  }
  Process proc;
  if (!m_.Launch(commandLine, 0, proc)) {
    result.error = err::FileNotFound;
    return result;
  }
  ProcHandle h = m_.nextProc_++;
  m_.procs_[h] = std::move(proc);
  if (pump) pump();
  for (int turn = 0; turn < kCaptureTurnLimit; ++turn) {
    Process& p = m_.procs_[h];
    m_.Settle(p);
    if (!p.running) break;
    std::uint64_t step = 100;
    if (p.endTick) step = std::min<std::uint64_t>(step, *p.endTick - m_.tick_);
    m_.tick_ += step;
    if (pump) pump();
  }
  Process& p = m_.procs_[h];
  m_.Settle(p);
  result.ok = true;
  result.output = std::move(p.output);
  result.exitCode = p.running ? kStillActive : p.exitCode;
  m_.procs_.erase(h);
  return result;
}

std::vector<ProcessEntry> SimMachine::ProcessesImpl::Snapshot() {
  if (m_.Failing("processes.Snapshot", {})) return {};
  return m_.processList_;
}

bool SimMachine::ProcessesImpl::Terminate(std::uint32_t pid, std::uint32_t exitCode) {
  for (auto it = m_.processList_.begin(); it != m_.processList_.end(); ++it) {
    if (it->pid != pid) continue;
    if (m_.Failing("processes.Terminate", {it->exeFile})) return false;
    m_.terminated_.push_back(SimTermination{pid, it->exeFile, exitCode});
    m_.processList_.erase(it);
    return true;
  }
  m_.SetError(err::InvalidParameter);
  return false;
}

}  // namespace lum::sim
