#pragma once
// The main window's logic: the start-up checks of its creation, the install
// workflow behind the setup and install buttons, the system list rows, and
// the handlers of the close button, the tray menu, the Return label and the
// finish page's countdown. The window calls these handlers; everything the
// logic shows goes through IMainView, so it runs the same without a window.
#include <string>

#include "app/install_steps.h"
#include "app/listcontrols.h"
#include "app/mainmodel.h"
#include "app/mainview.h"
#include "download/digests.h"
#include "platform/platform.h"
#include "skin/wheel.h"

namespace lum {

class MainForm {
 public:
  // Positions the list's scroll bar moves per wheel notch.
  static constexpr int kListWheelStep = 25;

  MainForm(Platform& p, IMainView& view, IInstallSteps& steps)
      : p_(p), view_(view), steps_(steps), list_(view) {}
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // Creation: decides whether the machine qualifies and settles the paths and
  // addresses of the install. A run log that cannot be written raises
  // RunLogError and ends the sequence early.
  void FormCreate();
  // Destruction: removes the work directory.
  void FormDestroy();

  // Builds the system list rows from the catalogue and enables Btn_setup.
  void Readsystolist();
  // A wheel message over the list (delta 120 a notch, positive turned away
  // from the user): the bar Bar1 moves 25 positions a notch, smaller steps
  // their share, carried across messages.
  void Sb_SyslistMouseWheel(int delta);
  void Sb_SyslistMouseWheelDown();  // one notch towards the user
  void Sb_SyslistMouseWheelUp();    // one notch away from the user

  // The home page's setup button: fixes the install mode, opens the list.
  void Btn_setupClick();
  // An install button of the list, named "JXBUTTONI" + row.
  void Contorl_install(const std::string& senderName);

  void Btn_CloseClick();        // the closing rule
  void N4Click();               // tray menu "退出"
  void N5Click();               // tray menu "显示窗体"; also a click on the tray icon
  void N3Click();               // tray menu "官方网站"
  void ZeDaraLabel1Click() { N3Click(); }
  void mltrycn1Click() { N5Click(); }
  void Lab_ReturnClick();       // "返回" on the download page, the tip of the install page
  void Pic_restartClick();      // the finish page's restart picture
  void Timer_CountDownTimer();  // one tick a second on the finish page

  // The program is asked to end from outside: the window's close message
  // (Task Manager, taskkill) or the end of the session. No question is asked;
  // as with the tray's exit a running install stops, and on the finish page
  // the boot stays prepared without the automatic restart.
  void WMClose();
  // True: the session may end (the program is already ending).
  bool WMQueryEndSession();
  void WMEndSession(bool ending);

  MainModel& model() { return m_; }
  const MainModel& model() const { return m_; }
  const ListControlSet& listControls() const { return list_; }

 private:
  bool RefusedByDiskRules(const std::string& drive);
  bool RefusedByDataRules();
  void Refuse(const std::string& reason);  // "错误：" line, "提示：" dialog, end of program
  void Fail(const std::string& logLine, const std::string& dialogText);
  void RunInstall(const std::string& imageUrl);
  bool PrepareBoot(const std::string& imagePath);
  // The server's digest list, unless the compiled table covers every file.
  bool LoadPublishedDigests(DigestList& published);
  // The downloaded file's format, then its SHA-256 where one is known;
  // a file that fails is deleted and the program ends after its message.
  bool VerifyDownload(const std::string& path, bool isoImage, const DigestList& published);
  enum class FileCheck { Verified, NoDigest, NotAnImage, Mismatch, HashFailed, Stopped };
  FileCheck CheckDownload(const std::string& path, bool isoImage, const DigestList& published);
  std::optional<Sha256Digest> HashWithProgress(const std::string& path, std::uint64_t size, bool& stopped);
  void ShowPage(int index);
  void ShowBanner(int banner, bool visible);
  void Terminate();
  void CloseWindow();
  void EndOnRequest();
  void Log(const std::string& text);

  Platform& p_;
  IMainView& view_;
  IInstallSteps& steps_;
  ListControlSet list_;
  RowLayout layout_;
  MainModel m_;
  WheelAccumulator wheel_{kListWheelStep};
};

}  // namespace lum
