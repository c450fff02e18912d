#pragma once
// The two fixed addresses of the program: the download server (scheme and
// host, no trailing slash; "/a/" and the file names go after it) and the
// product web site. Both are build settings. In the builds that tests and
// demos use, the environment variables LUMORA_BASE_URL and LUMORA_SITE_URL
// replace them, so that the program can be pointed at a local server; a
// release build has no such override, since any process of the user could
// set it for the elevated program.
#include <string>

#include "platform/platform.h"

namespace lum {

std::string DownloadServerUrl(Platform& p);
std::string ProductSiteUrl(Platform& p);

}  // namespace lum
