#include "platform/text.h"

namespace lum {

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    std::size_t len;
    if (c < 0x80) { cp = c; len = 1; }
    else if ((c >> 5) == 0x6) { cp = c & 0x1F; len = 2; }
    else if ((c >> 4) == 0xE) { cp = c & 0x0F; len = 3; }
    else if ((c >> 3) == 0x1E) { cp = c & 0x07; len = 4; }
    else { out.push_back(u'\uFFFD'); ++i; continue; }
    if (i + len > s.size()) { out.push_back(u'\uFFFD'); break; }
    bool bad = false;
    for (std::size_t k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc >> 6) != 0x2) { bad = true; break; }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (bad) { out.push_back(u'\uFFFD'); ++i; continue; }
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AsciiUpper(a) == AsciiUpper(b);
}

bool StartsWithAscii(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameTextAscii(s.substr(0, prefix.size()), prefix);
}

bool EndsWithAscii(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && SameTextAscii(s.substr(s.size() - suffix.size()), suffix);
}

std::vector<std::string> SplitOn(std::string_view s, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t pos = s.find(sep, start);
    if (pos == std::string_view::npos) {
      parts.emplace_back(s.substr(start));
      return parts;
    }
    parts.emplace_back(s.substr(start, pos - start));
    start = pos + 1;
  }
}

std::string TrimControls(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return std::string(s.substr(b, e - b));
}

static std::size_t LastSeparator(std::string_view path) {
  return path.find_last_of("\\/:");
}

std::string ExtractFileName(std::string_view path) {
  std::size_t p = LastSeparator(path);
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string ExtractFileDir(std::string_view path) {
  std::size_t p = LastSeparator(path);
  return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string IncludeTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '\\') out.push_back('\\');
  return out;
}

}  // namespace lum
