#include <string_view>

#include "inspect/processes.h"
#include "platform/text.h"

namespace lum {

static std::string FromUtf16(const Bytes& b, std::size_t start, bool bigEndian) {
  std::u16string s;
  s.reserve((b.size() - start) / 2);
  for (std::size_t i = start; i + 1 < b.size(); i += 2)
    s.push_back(bigEndian ? static_cast<char16_t>((b[i] << 8) | b[i + 1])
                          : static_cast<char16_t>(b[i] | (b[i + 1] << 8)));
  return Utf16ToUtf8(s);
}

static std::string DecodeText(ICodePage& codepage, const Bytes& b) {
  if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
    return std::string(b.begin() + 3, b.end());
  if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) return FromUtf16(b, 2, false);
  if (b.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF) return FromUtf16(b, 2, true);
  return codepage.FromAnsi(b);
}

std::string DecodeCapturedOutput(ICodePage& codepage, const Bytes& output) {
  if (output.empty()) return std::string();
  std::string text = DecodeText(codepage, output);
  // Every line, the last one included, ends in CR LF; a final line break does
  // not make an extra empty line.
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find_first_of("\r\n", i);
    if (end == std::string::npos) end = text.size();
    out.append(text, i, end - i);
    out += "\r\n";
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
      i = end + 2;
    else
      i = end + 1;
  }
  return out;
}

}  // namespace lum
