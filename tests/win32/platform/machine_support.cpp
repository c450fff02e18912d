#include "tests/win32/platform/machine_support.h"

#include "platform/text.h"
#include "platform/win32/wide.h"

namespace lum::win32::test {

std::string ProgramDir() {
  Win32System system;
  return ExtractFileDir(system.ModuleFileName());
}

std::string ChildCommand(const std::string& args) {
  return "\"" + ProgramDir() + "platform_child.exe\" " + args;
}

ScratchDir::ScratchDir() {
  wchar_t tmp[MAX_PATH + 1];
  DWORD n = ::GetTempPathW(MAX_PATH + 1, tmp);
  std::string base = Narrow(tmp, n);
  static unsigned counter = 0;
  path_ = base + "lumw32-" + std::to_string(::GetCurrentProcessId()) + "-" +
          std::to_string(++counter);
  ::CreateDirectoryW(Wide(path_).c_str(), nullptr);
}

ScratchDir::~ScratchDir() {
  Win32Files files;
  files.DeleteTree(path_);
}

}  // namespace lum::win32::test
