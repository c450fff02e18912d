#include "inspect/textutil.h"

#include <random>

#include "platform/text.h"

namespace lum {

std::string RandomName(Platform& p, int n) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  // Seeded afresh on every call. The clock alone would give two calls in the
  // same millisecond the same name, so the system's entropy source is mixed in.
  std::random_device entropy;
  std::seed_seq seed{static_cast<std::uint32_t>(p.clock.TickMs()),
                     static_cast<std::uint32_t>(p.clock.TickMs() >> 32), entropy(), entropy()};
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> pick(0, 51);
  std::string name = "~S";
  for (int i = 0; i < n; ++i) name.push_back(kLetters[pick(gen)]);
  return name;
}

std::string StripLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      continue;
    }
    out.push_back(text[i]);
  }
  return TrimControls(out);
}

bool IsDigitKeyChar(const std::string& text) {
  if (text.empty()) return false;
  char c = text[0];
  return (c >= '0' && c <= '9') || c == 3 || c == 8 || c == 22 || c == 24;
}

bool IsDigitKey(Platform& p, const std::string& text) {
  if (IsDigitKeyChar(text)) return true;
  p.system.Beep();
  return false;
}

}  // namespace lum
