#include "tests/host/boot/test_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace lum::test {

void PutBytes(sim::SimMachine& m, const std::string& winPath, const Bytes& data) {
  m.PutFile(winPath, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

Bytes ReadBytes(const sim::SimMachine& m, const std::string& winPath) {
  std::optional<std::string> s = m.ReadFile(winPath);
  return s ? Bytes(s->begin(), s->end()) : Bytes{};
}

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "lumora-boot-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

Bytes ReadHostFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteHostFile(const fs::path& p, const Bytes& data) {
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

}  // namespace lum::test
