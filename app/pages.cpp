// The handlers of the close button, the tray menu, the requests to end the
// program from outside (close message, end of the session), the Return
// label and the finish page.
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

void MainForm::WMClose() { EndOnRequest(); }

bool MainForm::WMQueryEndSession() {
  // Windows ends the session once every program agrees, so the install is
  // stopped now: it may not get another turn.
  EndOnRequest();
  return true;
}

void MainForm::WMEndSession(bool ending) {
  // A session end that another program refused leaves the request made by
  // the query standing: the program still ends.
  if (ending) EndOnRequest();
}

// The download and the boot preparation check the flag and stop; the
// countdown stops so that an ending program never restarts the machine.
// Asked again while the program ends (the close button's own close message
// comes here too), it asks for the same end again, which changes nothing.
void MainForm::EndOnRequest() {
  steps_.SetExitRequested(true);
  if (m_.CountdownRunning) {
    m_.CountdownRunning = false;
    view_.SetCountdownTimer(false);
  }
  Terminate();
}

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
