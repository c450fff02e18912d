#pragma once
// The download runner: fetches a list of URLs one after the other into one
// directory through the download engine, polling each task once a second and
// showing its progress, while the window's messages keep being dispatched.
#include <cstdint>
#include <string>
#include <vector>

#include "download/download_view.h"
#include "download/engine_calls.h"
#include "download/pump_wait.h"
#include "platform/platform.h"

namespace lum {

// Set to 1 by the window's close button and tray menu to end a running
// download; the install workflow clears it before each run. The runner only
// reads it. One thread reads and writes it, so it needs no lock.
extern std::uint8_t ExitRequested;

struct DownloadServices {
  Platform& platform;
  IEngineLoader& engine;
  IMessageWait& wait;
};

// Longest texts the task record holds, in UTF-16 units.
constexpr std::size_t kMaxUrlLength = engine::kMaxUrlChars;
constexpr std::size_t kMaxFileNameLength = engine::kMaxNameChars;
constexpr std::size_t kMaxSaveDirLength = engine::kMaxDirChars;
// Rounds of ending the processes and deleting the leftovers of an earlier
// attempt before a target that stays counts as a failed task.
constexpr int kClearAttempts = 10;
constexpr std::int32_t kClearRetryWaitMs = 100;
constexpr std::int32_t kPollIntervalMs = 1000;
// How long a quit waits for the engine to write out a stopped task, and how
// often it looks.
constexpr std::uint32_t kQuitStopWaitMs = 3000;
constexpr std::uint32_t kQuitStopPollMs = 50;

// Fetches every URL into targetDir (a backslash is added when its trimmed
// text lacks one) under the URL's last path segment. Returns true when the
// last URL handled has been fetched. Refuses (false) while a run is already
// in progress, as can happen through the message dispatch. lastFailCode, when
// given, receives why the last task handled failed: the engine's code, an
// HTTP status from 100 up (404: the server has no such file), -1 when the
// runner made no task for it, 0 after a success.
bool RunDownloads(const DownloadServices& services, const std::vector<std::string>& urls,
                  const std::string& targetDir, const std::string& libraryPath, IDownloadView& view,
                  std::int32_t* lastFailCode = nullptr);

// The directory files are saved into: the trimmed text followed by "\" when
// it does not end in a backslash, otherwise the text unchanged.
std::string NormaliseTargetDir(const std::string& dir);

}  // namespace lum
