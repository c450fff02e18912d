#pragma once
// HTTP for the engine on the host, through libcurl (one easy handle per
// session, so a session keeps its connection between requests).
#include <memory>

#include "engine/transport.h"

namespace lum::engine {

std::shared_ptr<IHttpTransport> MakeCurlTransport();

}  // namespace lum::engine
