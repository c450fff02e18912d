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
  // The work folder is named with its closing backslash; the shell's delete
  // wants the folder's own name, so the separator is dropped (not from "C:\").
  std::string target = path;
  while (target.size() > 3 && (target.back() == '\\' || target.back() == '/')) target.pop_back();
  return p.files.DeleteTree(target);
}

}  // namespace lum
