#include "download/url_name.h"

namespace lum {
namespace {

constexpr char kDelimiter = '/';
constexpr char kQuote = '"';

bool IsBlank(char c) {
  auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= ' ';
}

}  // namespace

std::vector<std::string> SplitUrlFields(std::string_view text) {
  // A NUL ends the text, as it would a C string.
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> fields;
  std::size_t i = 0, n = text.size();
  auto skipBlanks = [&] {
    while (i < n && IsBlank(text[i])) ++i;
  };
  skipBlanks();
  while (i < n) {
    std::string field;
    if (text[i] == kQuote) {
      ++i;
      while (i < n) {
        if (text[i] == kQuote) {
          if (i + 1 < n && text[i + 1] == kQuote) {
            field += kQuote;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += text[i++];
      }
    } else {
      std::size_t start = i;
      while (i < n && static_cast<unsigned char>(text[i]) > ' ' && text[i] != kDelimiter) ++i;
      field.assign(text.substr(start, i - start));
    }
    fields.push_back(std::move(field));
    skipBlanks();
    if (i < n && text[i] == kDelimiter) {
      if (i + 1 == n) fields.emplace_back();
      ++i;
      skipBlanks();
    }
  }
  return fields;
}

std::string UrlFileName(std::string_view url) {
  std::vector<std::string> fields = SplitUrlFields(url);
  return fields.empty() ? std::string() : fields.back();
}

}  // namespace lum
