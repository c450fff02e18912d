#pragma once
// What the main window's logic needs of the window itself. The Win32 main
// window implements it with its skinned controls; the host tests implement it
// with a recording fake, so that start-up and the whole install run without a
// window.
#include <string>

#include "app/listcontrols.h"

namespace lum {

// The pages of the page control, by index.
enum MainPage : int {
  kPageHome = 0,
  kPageSysList = 1,
  kPageDownload = 2,
  kPageInstall = 3,
  kPageFinish = 4,
};

// ShowAppmbox's results.
constexpr int kMbOk = 1;
constexpr int kMbCancel = 11;

class IMainView {
 public:
  virtual ~IMainView() = default;

  // Page control: hide every tab (done once at creation) and show a page.
  virtual void HidePageTabs() = 0;
  virtual void ShowPage(int index) = 0;
  // Step banners Pan_Banner1 .. Pan_Banner4.
  virtual void SetBannerVisible(int banner, bool visible) = 0;

  // Controls named as in the window's layout ("Lab_time", "Down_fn", "Btn_setup").
  virtual void SetCaption(const std::string& control, const std::string& text) = 0;
  virtual void SetVisible(const std::string& control, bool visible) = 0;
  virtual void SetEnabled(const std::string& control, bool enabled) = 0;

  // The download page's progress bar Pro_Run.
  virtual void SetProgressMax(int maxValue) = 0;
  virtual void SetProgress(int value) = 0;

  // The rows of the system list inside the scroll box Sb_Syslist.
  virtual void CreateListControl(const ListControl& control) = 0;
  virtual void FreeListControl(const std::string& name) = 0;
  // The scroll bar Bar1 bound to the list: its position, clamped by the bar.
  virtual int ListScrollPosition() = 0;
  virtual void SetListScrollPosition(int position) = 0;

  // The message dialog: 1 for OK, 11 for Cancel or its close button. While the
  // program is ending it closes at once with a result other than 1.
  virtual int ShowAppmbox(const std::string& text, bool showCancel) = 0;

  // The framework ends the program: the message loop stops on its next turn.
  virtual void Terminate() = 0;
  // Closes the main window, which ends the program.
  virtual void CloseWindow() = 0;
  // Shows the main window again after it was hidden to the tray.
  virtual void ShowMainWindow() = 0;
  // The countdown timer of the finish page (one tick a second).
  virtual void SetCountdownTimer(bool running) = 0;
  // Window messages are dispatched through the platform's message pump, which
  // the long waits of the workflow call.
};

}  // namespace lum
