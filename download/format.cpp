#include "download/format.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace lum {
namespace {

constexpr double kKiB = 1024.0, kMiB = 1024.0 * 1024.0, kGiB = 1024.0 * 1024.0 * 1024.0;
constexpr std::int64_t kKbLimit = 1024000, kMbLimit = 1024000000, kGbLimit = 1024000000000;

// Rounds the decimal digits of a non-negative number half away from zero.
// The digits are the exact value of the double, so a digit 5 after the last
// kept one means the value is at or above the half-way point.
std::string RoundDigits(const std::string& exact, int decimals) {
  std::size_t dot = exact.find('.');
  std::string whole = dot == std::string::npos ? exact : exact.substr(0, dot);
  std::string frac = dot == std::string::npos ? std::string() : exact.substr(dot + 1);
  frac.resize(static_cast<std::size_t>(decimals) + 1, '0');
  bool up = frac.back() >= '5';
  frac.pop_back();
  std::string digits = whole + frac;
  if (up) {
    std::size_t i = digits.size();
    while (i > 0) {
      --i;
      if (digits[i] == '9') {
        digits[i] = '0';
      } else {
        ++digits[i];
        break;
      }
      if (i == 0) digits.insert(digits.begin(), '1');
    }
  }
  std::size_t wholeLen = digits.size() - static_cast<std::size_t>(decimals);
  std::string out = digits.substr(0, wholeLen);
  if (decimals > 0) out += "." + digits.substr(wholeLen);
  return out;
}

}  // namespace

std::string FormatFixed(double v, int decimals) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  if (decimals < 0) decimals = 0;
  // Every double has a finite decimal expansion of at most 1074 digits after
  // the point; written in full, the rounding below is exact.
  char buf[1500];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, 1080);
  std::string exact(buf, r.ptr);
  std::string text = RoundDigits(exact, decimals);
  return std::signbit(v) && v != 0.0 ? "-" + text : text;
}

int ProgressBarValue(float fraction) {
  double p = static_cast<double>(fraction) * 100.0;
  if (std::isnan(p)) return 0;
  if (p >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (p <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(std::lround(p));
}

std::string FormatPercent(float fraction) {
  return FormatFixed(static_cast<double>(fraction) * 100.0, 2) + "%";
}

std::string FormatSpeed(std::int32_t bytesPerSecond) {
  double k = bytesPerSecond / kKiB;
  if (k > 1024.0) return FormatFixed(k / 1024.0, 2) + "MB/S";
  return FormatFixed(k, 0) + "KB/S";
}

std::optional<std::string> FormatTotalSize(std::int64_t n) {
  if (n < 1024) return std::to_string(n) + "B";
  if (n < kKbLimit) return FormatFixed(static_cast<double>(n) / kKiB, 2) + "KB";
  if (n < kMbLimit) return FormatFixed(static_cast<double>(n) / kMiB, 2) + "MB";
  if (n < kGbLimit) return FormatFixed(static_cast<double>(n) / kGiB, 2) + "GB";
  return std::nullopt;
}

std::optional<std::string> FormatReceived(std::int64_t r) {
  if (r < kMbLimit) return FormatFixed(static_cast<double>(r) / kMiB, 2) + "MB";
  if (r < kGbLimit) return FormatFixed(static_cast<double>(r) / kGiB, 2) + "GB";
  return std::nullopt;
}

}  // namespace lum
