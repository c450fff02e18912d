#pragma once
// The main window "Tvorel": a borderless 920 x 600 form. Its creation runs the
// start-up sequence to the end before the message loop starts.
#include "app/win32/window.h"
#include "inspect/sysinfo.h"
#include "platform/platform.h"

namespace lum::win {

class MainForm : public Window {
 public:
  static constexpr int kWidth = 920;
  static constexpr int kHeight = 600;

  explicit MainForm(Platform& p) : p_(p) {}
  bool Create();
  const TSysinfo& StartSysinfo() const { return startSysinfo_; }

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void FormCreate();
  void FormDestroy();
  void Paint();

  Platform& p_;
  TSysinfo startSysinfo_;
};

}  // namespace lum::win
