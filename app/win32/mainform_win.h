#pragma once
// The main window "Tvorel": a borderless, skinned 920 x 600 window with its
// title strip, the step banners, five pages switched by the program (home,
// system list, download, install, finish) and the tray icon. It is the view
// of the main window's logic: the creation sequence, the install workflow
// and the handlers live in lum::MainForm, which this window drives and which
// shows everything through this window.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/install_steps.h"
#include "app/mainform.h"
#include "app/mainview.h"
#include "platform/platform.h"
#include "skin/win32/page_control.h"
#include "skin/win32/progress_bar_win.h"
#include "skin/win32/scroll_box.h"
#include "skin/win32/skin_button.h"
#include "skin/win32/skin_form.h"
#include "skin/win32/skin_label.h"
#include "skin/win32/skin_panel.h"
#include "skin/win32/tray_icon.h"

namespace lum::win {

// Makes the install steps for the window (the program's own, or a test's).
using InstallStepsFactory = std::function<std::unique_ptr<IInstallSteps>(IMainView& view)>;

class Tvorel final : public IMainView {
 public:
  static constexpr int kWidth = 920;
  static constexpr int kHeight = 600;
  static constexpr UINT_PTR kCountdownTimerId = 1;
  // Tray menu item ids.
  static constexpr UINT kMenuShow = 5, kMenuSite = 3, kMenuExit = 4;

  Tvorel(Platform& p, const InstallStepsFactory& makeSteps);
  ~Tvorel() override;
  Tvorel(const Tvorel&) = delete;
  Tvorel& operator=(const Tvorel&) = delete;

  // Makes the window and its controls (hidden), then runs the creation
  // sequence. False when the window could not be made.
  bool Create();
  HWND Handle() const { return form_.Handle(); }
  lum::MainForm& Logic() { return logic_; }

  // A control by its component name ("Btn_setup", "JXBUTTONI3", "Bar1"), or
  // nullptr. Every control's window text is its name as well.
  SkinWindow* Control(const std::string& name) const;
  TZeDaraPageControl& PageControl() { return pageMf_; }
  TZeDaraScrollBox& SysList() { return sbSyslist_; }
  TMlTrayIcon& Tray() { return tray_; }
  // The hidden list view that holds the disk table.
  HWND DiskListView() const { return listAlldisk_; }

  // The view the logic drives.
  void HidePageTabs() override {}
  void ShowPage(int index) override;
  void SetBannerVisible(int banner, bool visible) override;
  void SetCaption(const std::string& control, const std::string& text) override;
  void SetVisible(const std::string& control, bool visible) override;
  void SetEnabled(const std::string& control, bool enabled) override;
  void SetProgressMax(int maxValue) override { proRun_.SetMaxValue(maxValue); }
  void SetProgress(int value) override { proRun_.SetValue(value); }
  void CreateListControl(const ListControl& control) override;
  void FreeListControl(const std::string& name) override;
  int ListScrollPosition() override { return sbSyslist_.Position(); }
  void SetListScrollPosition(int position) override { sbSyslist_.ScrollTo(position); }
  int ShowAppmbox(const std::string& text, bool showCancel) override;
  void Terminate() override;
  void CloseWindow() override;
  void ShowMainWindow() override;
  void SetCountdownTimer(bool running) override;

 private:
  bool CreateTitleStrip();
  bool CreatePages();
  bool CreateHomePage(HWND page);
  bool CreateListPage(HWND page);
  bool CreateDownloadPage(HWND page);
  bool CreateInstallPage(HWND page);
  bool CreateFinishPage(HWND page);
  void FillDiskListView();
  void Name(SkinWindow& control, const std::string& name);
  bool OnFormMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  void FormMouseDown();
  void Btn_miniClick();
  void Sb_SyslistMouseWheel(int delta);

  // Window parts first: the steps and the logic refer to this view.
  TZeDaraForm form_;
  TZeDaraPanel picTitle_;
  TZeDaraLabel labTile_;
  TZeDaraLabel zeDaraLabel1_;
  TZeDaraButton btnMini_;
  TZeDaraButton btnClose_;
  TZeDaraPanel banners_[4];
  TZeDaraPageControl pageMf_;
  TZeDaraPanel zeDaraPanel1_;
  TZeDaraButton btnSetup_;
  HWND listAlldisk_ = nullptr;
  TZeDaraPanel sysListBg_;
  TZeDaraScrollBox sbSyslist_;
  TZeDaraProgressBar proRun_;
  TZeDaraPanel wvdownloadbg_;
  TZeDaraLabel downLabels_[6];
  TZeDaraLabel labReturn_;
  TZeDaraPanel picRun_;
  TZeDaraLabel zeDaraLabel2_;
  TZeDaraPanel picEnd_;
  TZeDaraPanel picRoottip_;
  TZeDaraPanel picRestart_;
  TZeDaraLabel labTime_;
  TMlTrayIcon tray_;
  // The system list rows, created and freed by the logic.
  std::map<std::string, std::unique_ptr<SkinWindow>> rows_;
  std::map<std::string, SkinWindow*> named_;

  std::unique_ptr<IInstallSteps> steps_;
  lum::MainForm logic_;
  bool created_ = false;
};

}  // namespace lum::win
