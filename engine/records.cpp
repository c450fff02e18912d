#include "engine/records.h"

#include <cstring>

#include "platform/text.h"

namespace lum::engine {
namespace {

// The text of a fixed field, or nothing when it has no NUL within `maxChars`+1.
std::optional<std::string> FieldText(const char16_t* field, std::size_t fieldChars, std::size_t maxChars) {
  std::size_t limit = std::min(fieldChars, maxChars + 1);
  for (std::size_t i = 0; i < limit; ++i) {
    if (field[i] == 0) return Utf16ToUtf8(std::u16string_view(field, i));
  }
  return std::nullopt;
}

}  // namespace

std::optional<TaskSpec> SpecFromParams(const TaskParams& p) {
  auto url = FieldText(p.url, std::size(p.url), kMaxUrlChars);
  auto name = FieldText(p.fileName, std::size(p.fileName), kMaxNameChars);
  auto dir = FieldText(p.saveDir, std::size(p.saveDir), kMaxDirChars);
  if (!url || !name || !dir || url->empty() || name->empty()) return std::nullopt;
  if (name->find_first_of("\\/:") != std::string::npos || *name == "." || *name == "..") {
    return std::nullopt;
  }
  return TaskSpec{*url, *dir, *name};
}

void FillTaskInfo(const TaskSnapshot& s, TaskInfo& info) {
  info.status = s.status;
  info.failCode = s.failCode;
  info.totalSize = s.total;
  info.received = s.received;
  info.fraction = s.fraction;
  info.speed = s.speed;
}

std::optional<std::string> DecodeThunderUrl(std::string_view url) {
  constexpr std::string_view kScheme = "thunder://";
  if (url.size() < kScheme.size() || !SameTextAscii(url.substr(0, kScheme.size()), kScheme)) {
    return std::nullopt;
  }
  url.remove_prefix(kScheme.size());
  while (!url.empty() && (url.back() == '/' || url.back() == '=')) url.remove_suffix(1);
  std::string out;
  std::uint32_t acc = 0;
  int bits = 0;
  for (char c : url) {
    int v;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    else if (c >= '0' && c <= '9') v = c - '0' + 52;
    else if (c == '+' || c == '-') v = 62;
    else if (c == '/' || c == '_') v = 63;
    else return std::nullopt;
    acc = (acc << 6) | static_cast<std::uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((acc >> bits) & 0xFF));
    }
  }
  if (out.size() < 4 || out.compare(0, 2, "AA") != 0 || out.compare(out.size() - 2, 2, "ZZ") != 0) {
    return std::nullopt;
  }
  return out.substr(2, out.size() - 4);
}

}  // namespace lum::engine
