#include "app/runlog.h"

#include <cstdio>

namespace lum {

std::string RunLogPath(Platform& p) {
  return p.env.Get("windir") + "\\temp\\OrvekRun.LOG";
}

std::string FormatLogStamp(const LocalTime& t, const std::string& sep) {
  char date[32], hh[8], nn[8], ss[8];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", t.year, t.month, t.day);
  std::snprintf(hh, sizeof hh, "%02d", t.hour);
  std::snprintf(nn, sizeof nn, "%02d", t.minute);
  std::snprintf(ss, sizeof ss, "%02d", t.second);
  return std::string(date) + " " + hh + sep + nn + sep + ss;
}

void WriteRunLog(Platform& p, const std::string& text) {
  // Without "windir" the path would be relative to whatever folder is current;
  // treat it as the missing-path failure it is instead of writing somewhere else.
  if (p.env.Get("windir").empty())
    throw RunLogError(err::PathNotFound, "I/O error " + std::to_string(err::PathNotFound));
  std::string line = FormatLogStamp(p.clock.Now(), p.clock.TimeSeparator()) + " " + text;
  Bytes bytes = p.codepage.ToAnsi(line);
  bytes.push_back('\r');
  bytes.push_back('\n');
  if (!p.files.Append(RunLogPath(p), bytes)) {
    std::uint32_t code = p.system.LastError();
    throw RunLogError(code, "I/O error " + std::to_string(code));
  }
}

}  // namespace lum
