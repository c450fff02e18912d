#include "inspect/processes.h"

namespace lum {

void RestartComputer(Platform& p) { RunAndWait(p, kRestartCommand, 0, kShowHide); }

void KeepAwake(Platform& p) {
  p.shell.DisableScreenSaver();
  p.shell.SetExecutionState(kExecutionStateKeepAwake);
}

void ShellOpen(Platform& p, const std::string& target) { p.shell.Open(target); }

bool DeleteFileOrTree(Platform& p, const std::string& path) {
  if (p.files.Delete(path)) return true;
  return p.files.DeleteTree(path);
}

}  // namespace lum
