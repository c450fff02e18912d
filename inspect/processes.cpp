#include "inspect/processes.h"

#include "inspect/oserror.h"
#include "platform/text.h"

namespace lum {

std::uint32_t RunAndWait(Platform& p, const std::string& commandLine, int waitMs, int show) {
  std::optional<ProcHandle> process = p.processes.Start(commandLine, show);
  if (!process) return 0;
  if (waitMs == -1) {
    // Keep the window alive while the child runs.
    std::uint32_t r;
    do {
      r = p.processes.Wait(*process, 100);
      p.pump.Pump();
    } while (r == kWaitTimeout);
  } else {
    p.processes.Wait(*process, static_cast<std::uint32_t>(waitMs));
  }
  std::uint32_t code = p.processes.ExitCode(*process);
  p.processes.Close(*process);
  return code;
}

std::string RunAndCapture(Platform& p, const std::string& commandLine) {
  p.pump.Pump();
  CaptureResult r = p.processes.RunCaptured(commandLine, [&p] { p.pump.Pump(); });
  if (!r.ok) {
    p.system.SetLastError(r.error);
    CheckOSResult(p, false);
  }
  return DecodeCapturedOutput(p.codepage, r.output);
}

bool ProcessNameMatches(const std::string& exeFile, const std::string& wanted) {
  std::string want = AsciiUpper(wanted);
  std::size_t cut = exeFile.find_last_of("\\:");
  std::string base = cut == std::string::npos ? exeFile : exeFile.substr(cut + 1);
  return AsciiUpper(base) == want || AsciiUpper(exeFile) == want;
}

bool KillProcessesByName(Platform& p, const std::string& exeName) {
  bool result = false;
  for (const ProcessEntry& e : p.processes.Snapshot())
    if (ProcessNameMatches(e.exeFile, exeName)) result = p.processes.Terminate(e.pid, 0);
  return result;
}

}  // namespace lum
