#include "app/install_steps.h"

#include "app/mainview.h"
#include "boot/pe_boot.h"
#include "download/deploy.h"
#include "download/download_view.h"
#include "download/runner.h"

namespace lum {
namespace {

// The download page's labels and progress bar as the runner sees them.
class DownloadPage : public IDownloadView {
 public:
  explicit DownloadPage(IMainView& view) : view_(view) {}
  void SetFileName(const std::string& text) override { view_.SetCaption("Down_fn", text); }
  void SetSavePath(const std::string& text) override { view_.SetCaption("Down_Dph", text); }
  void SetFileSize(const std::string& text) override { view_.SetCaption("Down_Fsize", text); }
  void SetSpeed(const std::string& text) override { view_.SetCaption("Down_SD", text); }
  void SetReceived(const std::string& text) override { view_.SetCaption("Down_Js", text); }
  void SetPercent(const std::string& text) override { view_.SetCaption("Down_pro", text); }
  void SetProgressMax(int maxValue) override { view_.SetProgressMax(maxValue); }
  void SetProgressValue(int value) override { view_.SetProgress(value); }

 private:
  IMainView& view_;
};

// A download shown nowhere.
class HiddenPage : public IDownloadView {
 public:
  void SetFileName(const std::string&) override {}
  void SetSavePath(const std::string&) override {}
  void SetFileSize(const std::string&) override {}
  void SetSpeed(const std::string&) override {}
  void SetReceived(const std::string&) override {}
  void SetPercent(const std::string&) override {}
  void SetProgressMax(int) override {}
  void SetProgressValue(int) override {}
};

class InstallSteps : public IInstallSteps {
 public:
  InstallSteps(Platform& p, IProfileWriter& ini, IEngineLoader& engine, IMessageWait& wait,
               IMainView& view)
      : p_(p), ini_(ini), engine_(engine), wait_(wait), page_(view) {}

  void DeployEngineFiles(const std::string& engineDir) override {
    lum::DeployEngineFiles(p_, engineDir);
  }
  bool RunDownloads(const std::vector<std::string>& urls, const std::string& dir,
                    const std::string& libraryPath) override {
    DownloadServices services{p_, engine_, wait_};
    return lum::RunDownloads(services, urls, dir, libraryPath, page_);
  }
  bool FetchQuietly(const std::string& url, const std::string& dir, const std::string& libraryPath,
                    std::int32_t& failCode) override {
    DownloadServices services{p_, engine_, wait_};
    HiddenPage hidden;
    return lum::RunDownloads(services, {url}, dir, libraryPath, hidden, &failCode);
  }
  bool ExitRequested() override { return lum::ExitRequested == 1; }
  void SetExitRequested(bool set) override { lum::ExitRequested = set ? 1 : 0; }

  bool PreparePeBoot(BootRun& run, const std::string& imagePath, const std::string& arch,
                     const std::string& sysSelector, std::string& error, bool firmwareUefi,
                     const std::string& title, const std::string& wimName,
                     const std::string& productKey, const std::string& imageIndex) override {
    return lum::PreparePeBoot(p_, ini_, run, imagePath, arch, sysSelector, error, firmwareUefi, title,
                              wimName, productKey, imageIndex);
  }
  bool PrepareGhostBoot(BootRun& run, const TGhofilesysinfo& info, const std::string& title,
                        std::string& error) override {
    return lum::PrepareGhostBoot(p_, ini_, run, info, title, error);
  }

 private:
  Platform& p_;
  IProfileWriter& ini_;
  IEngineLoader& engine_;
  IMessageWait& wait_;
  DownloadPage page_;
};

}  // namespace

std::unique_ptr<IInstallSteps> MakeInstallSteps(Platform& p, IProfileWriter& ini,
                                                IEngineLoader& engine, IMessageWait& wait,
                                                IMainView& view) {
  return std::make_unique<InstallSteps>(p, ini, engine, wait, view);
}

}  // namespace lum
