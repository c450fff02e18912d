// The ISO extraction tool for Windows. It reads its own command line (the
// boot chain starts it through "cmd /c" with the arguments after the name).
#include <windows.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "tools/isoextract/command_line.h"
#include "tools/isoextract/extract_tool.h"
#include "tools/isoextract/win32/extract_files_win.h"

namespace {

std::string ModulePath() {
  wchar_t buf[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
  return lum::Utf16ToUtf8(std::u16string(buf, buf + n));
}

void Print(DWORD stdHandle, const std::string& line) {
  std::u16string w = lum::Utf8ToUtf16(line + "\r\n");
  std::wstring ws(w.begin(), w.end());
  int n = WideCharToMultiByte(CP_ACP, 0, ws.c_str(), int(ws.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, ws.c_str(), int(ws.size()), ansi.data(), n, nullptr, nullptr);
  DWORD put = 0;
  WriteFile(GetStdHandle(stdHandle), ansi.data(), DWORD(ansi.size()), &put, nullptr);
}

}  // namespace

int main() {
  const wchar_t* raw = GetCommandLineW();
  std::string line = lum::Utf16ToUtf8(std::u16string(raw, raw + wcslen(raw)));
  std::string_view rest = lum::SkipProgramName(line, lum::ExtractFileName(ModulePath()));
  std::vector<std::string> args;
  for (auto& a : lum::SplitArguments(rest)) args.push_back(std::move(a.text));

  lum::WinExtractFiles files;
  lum::ExtractResult r = lum::RunIsoExtract(args, files);
  lum::ExtractRequest req;
  std::string ignored;
  bool silent = lum::ParseExtractArgs(args, req, ignored) && req.silent;
  if (r.exitCode != lum::isoexit::Ok)
    Print(STD_ERROR_HANDLE, "isoextract: " + r.message);
  else if (!silent)
    Print(STD_OUTPUT_HANDLE, r.message);
  return r.exitCode;
}
