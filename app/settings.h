#pragma once
// The two fixed addresses of the program: the download server (scheme and
// host, no trailing slash; "/a/" and the file names go after it) and the
// product web site. Both are build settings; the environment variables
// LUMORA_BASE_URL and LUMORA_SITE_URL replace them, so that tests and demos
// can point the program at a local server.
#include <string>

#include "platform/platform.h"

namespace lum {

std::string DownloadServerUrl(Platform& p);
std::string ProductSiteUrl(Platform& p);

}  // namespace lum
