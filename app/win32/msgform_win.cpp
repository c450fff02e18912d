#include "app/win32/msgform_win.h"

#include "app/win32/application.h"
#include "app/win32/skin_fonts.h"
#include "platform/win32/wide.h"

namespace lum::win {

using lum::win32::Wide;

namespace {

const wchar_t kYaHei[] = L"\u5FAE\u8F6F\u96C5\u9ED1";  // 微软雅黑

int CALLBACK MatchFamily(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM lp) {
  auto* want = reinterpret_cast<std::pair<const std::wstring*, bool>*>(lp);
  if (*want->first == lf->lfFaceName) {
    want->second = true;
    return 0;
  }
  return 1;
}

}  // namespace

bool ScreenFontInstalled(const std::wstring& face) {
  HDC dc = GetDC(nullptr);
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  std::pair<const std::wstring*, bool> want{&face, false};
  EnumFontFamiliesExW(dc, &lf, MatchFamily, reinterpret_cast<LPARAM>(&want), 0);
  ReleaseDC(nullptr, dc);
  return want.second;
}

bool TAppmbox::Create(HWND centreOn) {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (centreOn) GetWindowRect(centreOn, &area);
  FormArgs fa;
  fa.className = L"TAppmbox";
  fa.title = App().Title();
  fa.bounds = Bounds{int(area.left + (area.right - area.left - kWidth) / 2),
                     int(area.top + (area.bottom - area.top - kHeight) / 2), kWidth, kHeight};
  fa.picture = "Msgbox_bg";
  fa.icon = LoadIconW(App().Instance(), L"MAINICON");
  fa.onMessage = [this](UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_CLOSE) {
      Close(kResultCancel);
      result = 0;
      return true;
    }
    if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_CLOSE) {
      Close(kResultCancel);
      result = 0;
      return true;
    }
    // The keyboard answers as a dialog's does: Return for OK, Escape for
    // Cancel (or the close button when Cancel is not offered).
    if (msg == WM_KEYDOWN && (wp == VK_RETURN || wp == VK_ESCAPE)) {
      Close(wp == VK_RETURN ? kResultOk : kResultCancel);
      result = 0;
      return true;
    }
    return false;
  };
  if (!form_.Create(fa)) return false;
  HWND f = form_.Handle();
  form_.SetOnMouseDown([this] { FormMouseDown(); });

  PanelArgs pa;
  pa.bounds = Bounds{8, 6, 24, 24};
  pa.picture.BackgroundImage = "LOGO";
  pa.picture.Alpha = 0;
  picTitle_.Create(f, pa);

  LabelArgs title;
  title.bounds = Bounds{38, 10, 96, 13};
  title.caption = L"Lumora";
  title.font = TahomaPoints(8);
  title.color = RGB(255, 255, 255);
  labTile_.Create(f, title);

  ButtonArgs close;
  close.bounds = Bounds{489, 8, 24, 20};
  close.strip = "Pellamclose";
  close.onClick = [this] { Close(kResultCancel); };
  btnClose_.Create(f, close);

  // The message: SimSun unless the system has the YaHei family.
  fontName_ = ScreenFontInstalled(kYaHei) ? kYaHei : kSimSun;
  LabelArgs tip;
  tip.bounds = Bounds{16, 104, 489, 81};
  tip.font = FontSpec{fontName_, 16, false};
  tip.color = RGB(255, 255, 255);
  tip.alignment = TextAlign::Center;
  tip.wordWrap = true;
  lbTip_.Create(f, tip);

  ColorButtonArgs cancel;
  cancel.bounds = Bounds{225, 232, 120, 30};
  cancel.caption = L"\u53D6\u6D88";  // 取消
  cancel.normalColor = 0xA8A8A8;
  cancel.hotColor = 0x7D7D7D;
  cancel.font = TahomaPoints(8);
  cancel.visible = false;
  cancel.onClick = [this] { Close(kResultCancel); };
  btnExit_.Create(f, cancel);

  ColorButtonArgs ok;
  ok.bounds = Bounds{385, 232, 120, 30};
  ok.caption = L"\u786E\u5B9A";  // 确定
  ok.normalColor = 0xFA801B;
  ok.hotColor = 0xDA6607;
  ok.font = TahomaPoints(8);
  ok.onClick = [this] { Close(kResultOk); };
  btnOk_.Create(f, ok);

  const std::pair<const char*, SkinWindow*> names[] = {
      {"Pic_title", &picTitle_}, {"Lab_Tile", &labTile_}, {"Btn_Close", &btnClose_},
      {"lbTip", &lbTip_},        {"Btn_Exit", &btnExit_}, {"Btn_Ok", &btnOk_}};
  for (const auto& [name, control] : names) {
    named_[name] = control;
    SetWindowTextW(control->Handle(), Wide(name).c_str());
  }
  return true;
}

SkinWindow* TAppmbox::Control(const std::string& name) const {
  auto it = named_.find(name);
  return it == named_.end() ? nullptr : it->second;
}

void TAppmbox::SetText(const std::string& text) { lbTip_.SetCaption(Wide(text)); }

void TAppmbox::SetCancelVisible(bool visible) { btnExit_.SetVisible(visible); }

void TAppmbox::Close(int result) {
  if (result_ == 0) result_ = result;
}

void TAppmbox::FormMouseDown() { DragMove(form_.Handle()); }

int TAppmbox::ShowModal() {
  Application& app = App();
  if (app.Terminated()) return kResultCancel;
  // Like any modal window: the other windows of the program take no input
  // meanwhile, but their messages keep being dispatched.
  HWND main = app.MainForm();
  const bool disableMain = main && IsWindowEnabled(main);
  if (disableMain) EnableWindow(main, FALSE);
  result_ = 0;
  ShowWindow(form_.Handle(), SW_SHOW);
  SetForegroundWindow(form_.Handle());
  SetFocus(form_.Handle());
  while (result_ == 0) {
    app.ProcessMessages();
    if (result_ != 0) break;
    if (app.Terminated()) {
      result_ = kResultCancel;
      break;
    }
    WaitMessage();
  }
  if (disableMain && IsWindow(main)) EnableWindow(main, TRUE);
  if (main && IsWindowVisible(main)) SetForegroundWindow(main);
  // The dialog is shown once: it goes now, with its controls and its frame.
  DestroyWindow(form_.Handle());
  return result_;
}

int ShowAppmbox(const std::string& text, bool showCancel) {
  TAppmbox box;
  if (!box.Create(App().MainForm())) return TAppmbox::kResultCancel;
  box.SetText(text);
  if (showCancel) box.SetCancelVisible(true);
  return box.ShowModal();
}

}  // namespace lum::win
