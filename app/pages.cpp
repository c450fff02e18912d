// The handlers of the close button, the tray menu, the Return label and the
// finish page.
#include "app/mainform.h"
#include "inspect/processes.h"

namespace lum {

void MainForm::Btn_CloseClick() {
  if (m_.Page == kPageDownload || m_.Page == kPageInstall) {
    if (view_.ShowAppmbox("提示：程序正在运行，确定要退出吗？", true) != kMbOk) return;
  }
  steps_.SetExitRequested(true);
  CloseWindow();
}

void MainForm::N4Click() {
  steps_.SetExitRequested(true);
  CloseWindow();
}

void MainForm::N5Click() { view_.ShowMainWindow(); }

void MainForm::N3Click() { ShellOpen(p_, m_.SiteUrl); }

void MainForm::Lab_ReturnClick() {
  m_.DownReturned = true;
  ShowBanner(3, false);
  ShowPage(kPageSysList);
}

void MainForm::Pic_restartClick() { RestartComputer(p_); }

void MainForm::Timer_CountDownTimer() {
  --m_.RestartSeconds;
  view_.SetCaption("Lab_time", "(" + std::to_string(m_.RestartSeconds) + "S)");
  if (m_.RestartSeconds <= 0) {
    view_.SetVisible("Lab_time", false);
    m_.CountdownRunning = false;
    view_.SetCountdownTimer(false);
    RestartComputer(p_);
  }
}

}  // namespace lum
