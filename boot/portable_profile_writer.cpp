#include "boot/portable_profile_writer.h"

#include "boot/profile_text.h"
#include "platform/text.h"

namespace lum {
namespace {

enum class Encoding { Ansi, Utf16, Utf8 };

Encoding Detect(const Bytes& b) {
  if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) return Encoding::Utf16;
  if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return Encoding::Utf8;
  return Encoding::Ansi;
}

std::string Decode(const Bytes& b, Encoding enc, ICodePage& cp) {
  switch (enc) {
    case Encoding::Utf16: {
      std::u16string u;
      for (std::size_t i = 2; i + 1 < b.size(); i += 2)
        u += static_cast<char16_t>(b[i] | (b[i + 1] << 8));
      return Utf16ToUtf8(u);
    }
    case Encoding::Utf8:
      return std::string(b.begin() + 3, b.end());
    case Encoding::Ansi:
      break;
  }
  return cp.FromAnsi(b);
}

Bytes Encode(const std::string& text, Encoding enc, ICodePage& cp) {
  switch (enc) {
    case Encoding::Utf16: {
      Bytes out{0xFF, 0xFE};
      for (char16_t c : Utf8ToUtf16(text)) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
      }
      return out;
    }
    case Encoding::Utf8: {
      Bytes out{0xEF, 0xBB, 0xBF};
      out.insert(out.end(), text.begin(), text.end());
      return out;
    }
    case Encoding::Ansi:
      break;
  }
  return cp.ToAnsi(text);
}

}  // namespace

bool PortableProfileWriter::WriteString(const std::string& section, const std::string& key,
                                        const std::string& value, const std::string& path) {
  Bytes old;
  if (files_.FileExists(path)) {
    std::optional<Bytes> read = files_.Read(path);
    if (!read) return false;
    old = std::move(*read);
  }
  Encoding enc = Detect(old);
  std::string text = SetProfileString(Decode(old, enc, codepage_), section, key, value);
  return files_.Write(path, Encode(text, enc, codepage_));
}

}  // namespace lum
