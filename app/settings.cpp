#include "app/settings.h"

#ifndef LUMORA_DEFAULT_BASE_URL
#define LUMORA_DEFAULT_BASE_URL "http://dl.lumora.example"
#endif
#ifndef LUMORA_DEFAULT_SITE_URL
#define LUMORA_DEFAULT_SITE_URL "http://www.lumora.example"
#endif

namespace lum {
namespace {

std::string Setting(Platform& p, const char* variable, const char* fallback) {
  std::string value = p.env.Get(variable);
  if (value.empty()) return fallback;
  // The server address is joined with "/a/..."; a closing slash would double it.
  while (!value.empty() && value.back() == '/') value.pop_back();
  return value;
}

}  // namespace

std::string DownloadServerUrl(Platform& p) {
  return Setting(p, "LUMORA_BASE_URL", LUMORA_DEFAULT_BASE_URL);
}

std::string ProductSiteUrl(Platform& p) {
  return Setting(p, "LUMORA_SITE_URL", LUMORA_DEFAULT_SITE_URL);
}

}  // namespace lum
