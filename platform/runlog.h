#pragma once
// The run log: one text file in the Windows temporary folder, one
// time-stamped line per event, appended by every part of the program.
#include <stdexcept>
#include <string>

#include "platform/platform.h"

namespace lum {

// An input/output failure of the run log. Nobody catches it on the way up:
// the window procedure wrapper reports it and the program goes on.
class RunLogError : public std::runtime_error {
 public:
  RunLogError(std::uint32_t code, const std::string& message)
      : std::runtime_error(message), code_(code) {}
  std::uint32_t code() const { return code_; }

 private:
  std::uint32_t code_;
};

// "%windir%\temp\OrvekRun.LOG".
std::string RunLogPath(Platform& p);

// "yyyy-mm-dd hh:nn:ss" with the locale's time separator between the time parts.
std::string FormatLogStamp(const LocalTime& t, const std::string& timeSeparator);

// Appends "stamp text" CR LF in the ANSI code page; opens and closes the file
// for every line. A file another process holds at that moment (sharing or
// lock violation) is tried again every 20 ms for up to a second. Throws
// RunLogError when the file cannot be opened or written.
void WriteRunLog(Platform& p, const std::string& text);

}  // namespace lum
