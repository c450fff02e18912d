// A small console program that the Windows tests start as a child process.
//
//   platform_child silent           writes nothing, exits 0
//   platform_child text TEXT        writes TEXT to standard output, no line break
//   platform_child hex D6D0         writes the bytes given in hexadecimal
//   platform_child big N            writes N bytes of numbered lines to standard
//                                   output, then "err-end" to standard error
//   platform_child sleep MS         sleeps, then exits 0
//   platform_child exit N           exits with N
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Put(DWORD which, const std::string& s) {
  HANDLE h = ::GetStdHandle(which);
  std::size_t done = 0;
  while (done < s.size()) {
    DWORD put = 0;
    if (!::WriteFile(h, s.data() + done, static_cast<DWORD>(s.size() - done), &put, nullptr)) {
      std::exit(90);
    }
    done += put;
  }
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 64;
  std::string mode = argv[1];
  const char* arg = argc > 2 ? argv[2] : "";
  if (mode == "silent") return 0;
  if (mode == "text") {
    Put(STD_OUTPUT_HANDLE, arg);
    return 0;
  }
  if (mode == "hex") {
    std::string bytes;
    for (std::size_t i = 0; arg[i] && arg[i + 1]; i += 2) {
      int hi = Hex(arg[i]), lo = Hex(arg[i + 1]);
      if (hi < 0 || lo < 0) return 65;
      bytes.push_back(static_cast<char>(hi * 16 + lo));
    }
    Put(STD_OUTPUT_HANDLE, bytes);
    return 0;
  }
  if (mode == "big") {
    // Lines "line 000001\n" (12 bytes), cut to exactly N bytes.
    long n = std::strtol(arg, nullptr, 10);
    std::string out;
    out.reserve(static_cast<std::size_t>(n) + 16);
    for (long i = 1; static_cast<long>(out.size()) < n; ++i) {
      char line[32];
      std::snprintf(line, sizeof line, "line %06ld\n", i);
      out += line;
    }
    out.resize(static_cast<std::size_t>(n));
    Put(STD_OUTPUT_HANDLE, out);
    Put(STD_ERROR_HANDLE, "err-end");
    return 3;
  }
  if (mode == "sleep") {
    ::Sleep(static_cast<DWORD>(std::strtoul(arg, nullptr, 10)));
    return 0;
  }
  if (mode == "exit") return std::atoi(arg);
  return 64;
}
