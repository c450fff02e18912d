#pragma once
// What the download runner shows: six label texts and a progress bar. The
// main window's download page implements it; tests record the calls.
#include <string>

namespace lum {

class IDownloadView {
 public:
  virtual ~IDownloadView() = default;
  virtual void SetFileName(const std::string& text) = 0;  // Down_fn
  virtual void SetSavePath(const std::string& text) = 0;  // Down_Dph
  virtual void SetFileSize(const std::string& text) = 0;  // Down_Fsize
  virtual void SetSpeed(const std::string& text) = 0;     // Down_SD
  virtual void SetReceived(const std::string& text) = 0;  // Down_Js
  virtual void SetPercent(const std::string& text) = 0;   // Down_pro
  // The progress bar (Pro_Run); the bar clamps the value into its range.
  virtual void SetProgressMax(int maxValue) = 0;
  virtual void SetProgressValue(int value) = 0;
};

}  // namespace lum
