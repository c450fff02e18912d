#pragma once
// Starting the built Lumora.exe from a test under Wine and watching its
// windows and its run log.
#include <windows.h>

#include <string>
#include <vector>

namespace lumtest {

// build/<tree>/bin/Lumora.exe, found from this test program's own folder.
std::wstring LumoraExePath();
std::wstring RunLogPath();
std::vector<unsigned char> ReadAll(const std::wstring& path);
long long FileSize(const std::wstring& path);

struct Started {
  PROCESS_INFORMATION pi{};
  bool ok = false;
};
// Starts Lumora.exe; extraEnv ("NAME=value" entries) overrides the inherited environment.
Started StartLumora(const std::vector<std::wstring>& extraEnv = {});
// A dialog box (class #32770) of the process, and its static text.
HWND FindDialog(DWORD pid);
std::wstring DialogText(HWND dialog);
// The top-level "Tvorel" window of a process, visible or not; nullptr if none yet.
HWND FindMainWindow(DWORD pid, bool mustBeVisible);
HWND WaitForMainWindow(DWORD pid, bool mustBeVisible, DWORD timeoutMs);
// Asks the program to close and waits for it; kills it when it does not end.
void CloseLumora(Started& s);

}  // namespace lumtest
