#pragma once
// Helpers of the boot tests around the simulated machine: binary files in and
// out, a temporary host folder, and running the archivers.
#include <filesystem>
#include <string>

#include "platform/sim/sim_machine.h"
#include "platform/types.h"

namespace lum::test {

void PutBytes(sim::SimMachine& m, const std::string& winPath, const Bytes& data);
Bytes ReadBytes(const sim::SimMachine& m, const std::string& winPath);  // empty when missing

// A fresh temporary host folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

Bytes ReadHostFile(const std::filesystem::path& p);
void WriteHostFile(const std::filesystem::path& p, const Bytes& data);
// Runs a shell command; true when it exits 0.
bool Shell(const std::string& command);

inline Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace lum::test
