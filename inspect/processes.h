#pragma once
// Starting programs, capturing their output, ending processes, restarting
// Windows and the shell and power settings the workflow needs.
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace lum {

constexpr int kShowHide = 0;  // SW_HIDE
constexpr std::uint32_t kExecutionStateKeepAwake = 0x80000003u;  // ES_CONTINUOUS|SYSTEM|DISPLAY
inline constexpr const char kRestartCommand[] = "cmd /c shutdown /r /t 0 ";

// Starts the command line (new console, normal priority, the show state) and
// waits: -1 waits to the end, pumping messages every 100 ms; any other value
// waits that many milliseconds once. Returns the exit code (259 while still
// running); 0 when the program cannot be started.
std::uint32_t RunAndWait(Platform& p, const std::string& commandLine, int waitMs, int show);

// Runs the command line hidden with standard output and error on a pipe,
// pumping messages while it runs, and returns the output decoded (see
// DecodeCapturedOutput). Raises OsError when the pipe or process cannot be made.
std::string RunAndCapture(Platform& p, const std::string& commandLine);

// A byte-order mark selects UTF-8, UTF-16LE or UTF-16BE; otherwise the bytes
// are in the ANSI code page. The text is split into lines at CR LF, CR or LF
// and every line is joined back followed by CR LF. No bytes: empty text.
std::string DecodeCapturedOutput(ICodePage& codepage, const Bytes& output);

// True when the process entry's executable name matches the wanted name: its
// file-name part (after the last '\' or ':') or the whole name, ASCII case ignored.
bool ProcessNameMatches(const std::string& exeFile, const std::string& wanted);

// Terminates every process whose name matches (exit code 0). Returns the result
// of the last termination attempt; false when nothing matched.
bool KillProcessesByName(Platform& p, const std::string& exeName);

// Runs "cmd /c shutdown /r /t 0 " hidden, without waiting.
void RestartComputer(Platform& p);

// Screen saver off; system and display kept on (ES_CONTINUOUS|ES_SYSTEM_REQUIRED|
// ES_DISPLAY_REQUIRED). Neither is undone.
void KeepAwake(Platform& p);

// Opens a document or address with the shell ("open", SW_SHOWNA).
void ShellOpen(Platform& p, const std::string& target);

// DeleteFileW; when that fails, the shell's silent tree delete. True on success.
bool DeleteFileOrTree(Platform& p, const std::string& path);

}  // namespace lum
