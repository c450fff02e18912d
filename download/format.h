#pragma once
// The texts of the download page: sizes, speed and percent.
//
// Numbers are fixed-point with "." whatever the locale, no thousands
// separators, no padding and no space before the unit, rounded half away
// from zero; a negative value gets a leading "-". A size thresholds at 1000
// of the lower unit (1,024,000 bytes is 0.98MB), the speed at 1024 KB/S.
#include <cstdint>
#include <optional>
#include <string>

namespace lum {

// v with exactly `decimals` digits after the point ("NAN", "INF", "-INF"
// for values that are not numbers).
std::string FormatFixed(double v, int decimals);

// The progress bar's value for a fraction complete: the percent rounded to a
// whole number (0 for a value that is not a number).
int ProgressBarValue(float fraction);
// "50.00%".
std::string FormatPercent(float fraction);
// "3KB/S" up to 1024 KB/S, "1.00MB/S" above.
std::string FormatSpeed(std::int32_t bytesPerSecond);
// "1023B", "1.00KB", "0.98MB", "4.00GB"; nothing from 1,024,000,000,000 bytes on.
std::optional<std::string> FormatTotalSize(std::int64_t bytes);
// "0.00MB", "0.95GB"; nothing from 1,024,000,000,000 bytes on.
std::optional<std::string> FormatReceived(std::int64_t bytes);

}  // namespace lum
