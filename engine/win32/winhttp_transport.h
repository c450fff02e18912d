#pragma once
// HTTP for the engine on Windows, through WinHTTP in synchronous mode. Each
// session keeps its own WinHTTP session and connection, so connections are
// reused between the requests of one worker. A request that names no proxy
// goes the way Internet Options say for its URL (see system_proxy.h).
#include <memory>

#include "engine/transport.h"

namespace lum::engine {

std::shared_ptr<IHttpTransport> MakeWinHttpTransport();

}  // namespace lum::engine
