#include "platform/runlog.h"

#include <cstdio>

namespace lum {

namespace {

constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorLockViolation = 33;
// How long a line waits for a file another process holds, and how often it
// tries again meanwhile.
constexpr std::uint64_t kCollisionWaitMs = 1000;
constexpr std::uint32_t kCollisionRetryMs = 20;

bool IsSharingCollision(std::uint32_t code) {
  return code == kErrorSharingViolation || code == kErrorLockViolation;
}

}  // namespace

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
  const std::string path = RunLogPath(p);
  const std::uint64_t start = p.clock.TickMs();
  while (!p.files.Append(path, bytes)) {
    const std::uint32_t code = p.system.LastError();
    // Another instance holding the file for its own line lets go within
    // moments; only a lasting collision, or any other error, is a failure.
    if (!IsSharingCollision(code) || p.clock.TickMs() - start >= kCollisionWaitMs)
      throw RunLogError(code, "I/O error " + std::to_string(code));
    p.clock.Sleep(kCollisionRetryMs);
  }
}

}  // namespace lum
