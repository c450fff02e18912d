// The tools' console on Windows: the process's own command line, and output
// in the ANSI code page through the standard handles.
#include <windows.h>

#include <cwchar>

#include "platform/text.h"
#include "tools/common/command_line.h"
#include "tools/common/console.h"

namespace lum::tool {
namespace {

std::string ModuleFileName() {
  wchar_t buf[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
  return ExtractFileName(Utf16ToUtf8(std::u16string(buf, buf + n)));
}

void WriteBytes(Stream stream, std::string_view bytes) {
  HANDLE h = GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD put = 0;
  WriteFile(h, bytes.data(), DWORD(bytes.size()), &put, nullptr);
}

}  // namespace

std::string ArgumentText(int, char**) {
  const wchar_t* raw = GetCommandLineW();
  std::string line = Utf16ToUtf8(std::u16string(raw, raw + wcslen(raw)));
  return std::string(SkipProgramName(line, ModuleFileName()));
}

std::vector<std::string> Arguments(int argc, char** argv) {
  std::vector<std::string> out;
  for (CommandArg& a : SplitArguments(ArgumentText(argc, argv))) out.push_back(std::move(a.text));
  return out;
}

void WriteText(Stream stream, std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  WriteBytes(stream, out);
}

void PrintLine(Stream stream, std::string_view utf8) {
  std::u16string u = Utf8ToUtf16(std::string(utf8) + "\r\n");
  std::wstring w(u.begin(), u.end());
  int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, w.c_str(), int(w.size()), ansi.data(), n, nullptr, nullptr);
  WriteBytes(stream, ansi);
}

}  // namespace lum::tool
