#pragma once
// Shared pieces of the real-machine tests: a scratch folder per test and the
// path of the child program beside the test program.
#include "platform/win32/windows_api.h"

#include <string>

#include "platform/win32/win32_machine.h"

namespace lum::win32::test {

// The folder of this test program, with its trailing backslash.
std::string ProgramDir();
// A command line that starts the child program with the arguments.
std::string ChildCommand(const std::string& args);

// A fresh, empty folder under the temporary directory, removed afterwards.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

}  // namespace lum::win32::test
