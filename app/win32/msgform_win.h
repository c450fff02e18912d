#pragma once
// The message dialog "Appmbox": the one way the program shows a message. A
// borderless skinned window of 521 x 278 with the message, an OK button and,
// on request, a Cancel button; shown modally over the main window.
#include <windows.h>

#include <map>
#include <string>

#include "skin/win32/color_button.h"
#include "skin/win32/skin_button.h"
#include "skin/win32/skin_form.h"
#include "skin/win32/skin_label.h"
#include "skin/win32/skin_panel.h"

namespace lum::win {

class TAppmbox {
 public:
  static constexpr int kWidth = 521;
  static constexpr int kHeight = 278;
  static constexpr int kResultOk = 1;
  static constexpr int kResultCancel = 11;

  TAppmbox() = default;
  TAppmbox(const TAppmbox&) = delete;
  TAppmbox& operator=(const TAppmbox&) = delete;

  // Makes the dialog, hidden, centred on centreOn's rectangle (shown or not);
  // on the screen when there is none.
  bool Create(HWND centreOn);
  // The message label's font: "微软雅黑" when the system has it, else SimSun.
  void SetText(const std::string& text);
  void SetCancelVisible(bool visible);
  // Shows the dialog, keeps dispatching messages until a button closes it,
  // then destroys its window and returns its result; while the program is
  // ending it returns at once with Cancel's result. Shown once per dialog.
  int ShowModal();

  HWND Handle() const { return form_.Handle(); }
  // A control by its name ("Btn_Ok", "lbTip", ...), or nullptr.
  SkinWindow* Control(const std::string& name) const;
  const std::wstring& FontName() const { return fontName_; }

 private:
  void Close(int result);
  void FormMouseDown();

  TZeDaraForm form_;
  TZeDaraPanel picTitle_;
  TZeDaraLabel labTile_;
  TZeDaraButton btnClose_;
  TZeDaraLabel lbTip_;
  TZeDaraColorButton btnExit_;
  TZeDaraColorButton btnOk_;
  std::map<std::string, SkinWindow*> named_;
  std::wstring fontName_;
  int result_ = 0;
};

// True when the installed screen fonts include a family of exactly this name.
bool ScreenFontInstalled(const std::wstring& face);

// Shows the dialog with text, Cancel shown on request, centred on the
// program's main window; 1 for OK, 11 for Cancel or the close button.
int ShowAppmbox(const std::string& text, bool showCancel);

}  // namespace lum::win
