#pragma once
// Asks a server how long a file is, following redirects, without fetching it.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/options.h"
#include "engine/transport.h"

namespace lum::engine {

std::optional<std::int64_t> ProbeFileSize(IHttpTransport& transport, const std::string& url,
                                          SharedSettings& settings);

}  // namespace lum::engine
