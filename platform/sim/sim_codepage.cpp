// The ANSI code page through iconv ("CP936" is GBK with the euro sign).
// Characters the code page lacks become '?', as WideCharToMultiByte does.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "platform/sim/sim_parts.h"

namespace lum::sim {

static std::string IconvName(unsigned acp) {
  return acp == 65001 ? "UTF-8" : "CP" + std::to_string(acp);
}

namespace {
class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error("iconv cannot convert " + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts everything; an input sequence that cannot be converted is
  // replaced by '?' and skipped by skip(first byte) bytes.
  template <typename Skip>
  std::string Run(const char* in, std::size_t len, Skip skip) {
    std::string out;
    char buf[4096];
    while (len > 0) {
      char* o = buf;
      std::size_t room = sizeof buf;
      char* i = const_cast<char*>(in);
      std::size_t r = iconv(cd_, &i, &len, &o, &room);
      out.append(buf, static_cast<std::size_t>(o - buf));
      in = i;
      if (r == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: an unmappable or cut-off sequence.
        std::size_t n = std::min(len, skip(static_cast<unsigned char>(*in)));
        out.push_back('?');
        in += n;
        len -= n;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

std::size_t Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead >> 5) == 0x6) return 2;
  if ((lead >> 4) == 0xE) return 3;
  if ((lead >> 3) == 0x1E) return 4;
  return 1;
}
}  // namespace

Bytes SimMachine::CodePageImpl::ToAnsi(const std::string& utf8) {
  Converter c(IconvName(m_.acp_), "UTF-8");
  std::string s = c.Run(utf8.data(), utf8.size(), Utf8Length);
  return Bytes(s.begin(), s.end());
}

std::string SimMachine::CodePageImpl::FromAnsi(const Bytes& ansi) {
  Converter c("UTF-8", IconvName(m_.acp_));
  return c.Run(reinterpret_cast<const char*>(ansi.data()), ansi.size(),
               [](unsigned char) { return std::size_t{1}; });
}

void SimMachine::SetCodePage(unsigned acp) {
  Converter probe(IconvName(acp), "UTF-8");  // fails early for a code page iconv lacks
  acp_ = acp;
}

}  // namespace lum::sim
