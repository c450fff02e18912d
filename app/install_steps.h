#pragma once
// The steps of an install that other parts of the program carry out: writing
// the download engine's files, running the downloads, and preparing the next
// start of the machine. The workflow calls them through this interface; the
// program uses InstallSteps below, tests may wrap it to watch or break a step.
#include <memory>
#include <string>
#include <vector>

#include "boot/ghost_boot.h"
#include "boot/profile_writer.h"
#include "boot/undo_journal.h"
#include "download/engine_calls.h"
#include "download/pump_wait.h"
#include "platform/platform.h"

namespace lum {

class IMainView;

class IInstallSteps {
 public:
  virtual ~IInstallSteps() = default;

  // Writes the engine's files into engineDir; the result is not used.
  virtual void DeployEngineFiles(const std::string& engineDir) = 0;
  // Fetches the URLs in order into dir through the engine at libraryPath,
  // showing progress on the download page. True when the last URL was fetched.
  virtual bool RunDownloads(const std::vector<std::string>& urls, const std::string& dir,
                            const std::string& libraryPath) = 0;
  // Fetches one small file (the server's digest list) into dir without
  // showing it on the download page. failCode tells why it failed: an HTTP
  // status from 100 up (404: not published), an engine code otherwise.
  virtual bool FetchQuietly(const std::string& url, const std::string& dir,
                            const std::string& libraryPath, std::int32_t& failCode) = 0;
  // The flag the close button and the tray's exit set to stop the downloads.
  virtual bool ExitRequested() = 0;
  virtual void SetExitRequested(bool set) = 0;

  // Both note every change in run's journal and undo the run on failure.
  virtual bool PreparePeBoot(BootRun& run, const std::string& imagePath, const std::string& arch,
                             const std::string& sysSelector, std::string& error,
                             bool firmwareUefi, const std::string& title,
                             const std::string& wimName, const std::string& productKey,
                             const std::string& imageIndex) = 0;
  virtual bool PrepareGhostBoot(BootRun& run, const TGhofilesysinfo& info, const std::string& title,
                                std::string& error) = 0;
};

// The steps as the program runs them, on the machine behind p: the engine
// bound through engine, waits through wait, progress on the download page of
// view, boot.ini edited through ini.
std::unique_ptr<IInstallSteps> MakeInstallSteps(Platform& p, IProfileWriter& ini,
                                                IEngineLoader& engine, IMessageWait& wait,
                                                IMainView& view);

}  // namespace lum
