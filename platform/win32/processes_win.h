#pragma once
// Child processes: start and wait, capture of console output through a pipe,
// ToolHelp snapshots and termination.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32Processes final : public IProcesses {
 public:
  std::optional<ProcHandle> Start(const std::string& commandLine, int show) override;
  std::uint32_t Wait(ProcHandle process, std::uint32_t milliseconds) override;
  std::uint32_t ExitCode(ProcHandle process) override;
  void Close(ProcHandle process) override;
  CaptureResult RunCaptured(const std::string& commandLine,
                            const std::function<void()>& pump) override;
  std::vector<ProcessEntry> Snapshot() override;
  bool Terminate(std::uint32_t pid, std::uint32_t exitCode) override;

 private:
  // The ToolHelp entry points, looked up by name on first use and kept.
  struct ToolHelp {
    void* snapshot = nullptr;
    void* first = nullptr;
    void* next = nullptr;
  };
  const ToolHelp& Tools();
  bool toolsLooked_ = false;
  ToolHelp tools_;
};

}  // namespace lum::win32
