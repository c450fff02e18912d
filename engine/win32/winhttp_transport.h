#pragma once
// HTTP for the engine on Windows, through WinHTTP in synchronous mode. Each
// session keeps its own WinHTTP session and connection, so connections are
// reused between the requests of one worker.
#include <memory>

#include "engine/transport.h"

namespace lum::engine {

std::shared_ptr<IHttpTransport> MakeWinHttpTransport();

}  // namespace lum::engine
