// The boot-store editor stand-in for Windows. The boot chains start it as
// "B /command ..." with B its path, not quoted, so the program name is found
// by our own file name (see SkipProgramName) and the rest is the command.
#include <windows.h>

#include <cwchar>
#include <string>

#include "platform/text.h"
#include "tools/bootstore/bootstore_tool.h"
#include "tools/bootstore/win32/store_files_win.h"
#include "tools/isoextract/command_line.h"

namespace {

std::string ModuleFileName() {
  wchar_t buf[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
  return lum::ExtractFileName(lum::Utf16ToUtf8(std::u16string(buf, buf + n)));
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
  std::string_view args = lum::SkipProgramName(line, ModuleFileName());
  lum::WinStoreFiles files;
  lum::StoreResult r = lum::RunBootStore(args, files);
  Print(r.exitCode == 0 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, r.message);
  return r.exitCode;
}
