#include "app/settings.h"

#ifndef LUMORA_DEFAULT_BASE_URL
#define LUMORA_DEFAULT_BASE_URL "http://dl.lumora.example"
#endif
#ifndef LUMORA_DEFAULT_SITE_URL
#define LUMORA_DEFAULT_SITE_URL "http://www.lumora.example"
#endif

namespace lum {
namespace {

// The server address is joined with "/a/..."; a closing slash would double it.
std::string WithoutClosingSlashes(std::string value) {
  while (!value.empty() && value.back() == '/') value.pop_back();
  return value;
}

#ifdef LUMORA_ENVIRONMENT_OVERRIDES
std::string Setting(Platform& p, const char* variable, const char* built) {
  std::string value = p.env.Get(variable);
  return WithoutClosingSlashes(value.empty() ? built : value);
}
#endif

}  // namespace

// A release build compiles neither the lookup nor the variables' names.
std::string DownloadServerUrl([[maybe_unused]] Platform& p) {
#ifdef LUMORA_ENVIRONMENT_OVERRIDES
  return Setting(p, "LUMORA_BASE_URL", LUMORA_DEFAULT_BASE_URL);
#else
  return WithoutClosingSlashes(LUMORA_DEFAULT_BASE_URL);
#endif
}

std::string ProductSiteUrl([[maybe_unused]] Platform& p) {
#ifdef LUMORA_ENVIRONMENT_OVERRIDES
  return Setting(p, "LUMORA_SITE_URL", LUMORA_DEFAULT_SITE_URL);
#else
  return WithoutClosingSlashes(LUMORA_DEFAULT_SITE_URL);
#endif
}

}  // namespace lum
