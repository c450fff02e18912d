#include "app/win32/mainform_win.h"

#include <commctrl.h>

#include <exception>

#include "app/win32/application.h"
#include "app/win32/msgform_win.h"
#include "app/win32/skin_fonts.h"
#include "platform/win32/wide.h"

namespace lum::win {

using lum::win32::Wide;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = 0xFB811B;   // RGB(27, 129, 251)
constexpr COLORREF kPink = 0xA485FB;   // RGB(251, 133, 164)
constexpr COLORREF kGreen = 0x7DC301;  // RGB(1, 195, 125)

PanelArgs Picture(const Bounds& b, const char* image, bool visible = true) {
  PanelArgs a;
  a.bounds = b;
  a.picture.BackgroundImage = image;
  a.picture.Alpha = 0;  // the picture only, no fill
  a.visible = visible;
  return a;
}

LabelArgs Text(const Bounds& b, const std::wstring& caption, const FontSpec& font, COLORREF colour,
               TextAlign align = TextAlign::Left) {
  LabelArgs a;
  a.bounds = b;
  a.caption = caption;
  a.font = font;
  a.color = colour;
  a.alignment = align;
  return a;
}

ButtonArgs Strip(const Bounds& b, const char* image, int disable) {
  ButtonArgs a;
  a.bounds = b;
  a.strip = image;
  a.count = 3;
  a.normal = 0;
  a.hot = 1;
  a.pressed = 2;
  a.disable = disable;
  a.captionVisible = false;
  return a;
}

// The download page's six labels: name, left and top inside the panel, and
// width up to the next caption of the panel's picture.
struct DownLabel {
  const char* name;
  int left, top, width;
};
constexpr DownLabel kDownLabels[6] = {
    {"Down_fn", 114, 36, 112},    {"Down_Dph", 306, 36, 396}, {"Down_Fsize", 114, 88, 112},
    {"Down_SD", 306, 88, 110},    {"Down_Js", 482, 88, 104},  {"Down_pro", 650, 88, 60},
};
constexpr int kDownLabelHeight = 16;


}  // namespace

Tvorel::Tvorel(Platform& p, const InstallStepsFactory& makeSteps)
    : steps_(makeSteps(*this)), logic_(p, *this, *steps_) {}

Tvorel::~Tvorel() {
  if (created_) {
    if (form_.Handle()) KillTimer(form_.Handle(), kCountdownTimerId);
    tray_.SetVisible(false);
    // The work directory goes with the window.
    logic_.FormDestroy();
  }
  rows_.clear();
}

void Tvorel::Name(SkinWindow& control, const std::string& name) {
  named_[name] = &control;
  SetWindowTextW(control.Handle(), Wide(name).c_str());
}

SkinWindow* Tvorel::Control(const std::string& name) const {
  auto it = named_.find(name);
  return it == named_.end() ? nullptr : it->second;
}

bool Tvorel::Create() {
  FormArgs fa;
  fa.className = L"Tvorel";
  fa.title = App().Title();
  fa.bounds = Bounds{(GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2, kWidth, kHeight};
  fa.picture = "Bg_Mf";
  fa.icon = LoadIconW(App().Instance(), L"MAINICON");
  fa.onMessage = [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    return OnFormMessage(msg, wp, lp, result);
  };
  if (!form_.Create(fa)) return false;
  form_.SetOnMouseDown([this] { FormMouseDown(); });
  if (!CreateTitleStrip() || !CreatePages()) return false;

  TrayIconArgs ta;
  // The tray shows the icon's small size.
  ta.icon = static_cast<HICON>(LoadImageW(App().Instance(), L"MAINICON", IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON),
                                          GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  ta.menu = {{kMenuShow, L"\u663E\u793A\u7A97\u4F53"},   // 显示窗体
             {0, L"-"},
             {kMenuSite, L"\u5B98\u65B9\u7F51\u7AD9"},   // 官方网站
             {kMenuExit, L"\u9000\u51FA"}};              // 退出
  ta.onClick = [this] { logic_.mltrycn1Click(); };
  ta.onMenu = [this](UINT id) {
    if (id == kMenuShow) logic_.N5Click();
    if (id == kMenuSite) logic_.N3Click();
    if (id == kMenuExit) logic_.N4Click();
  };
  if (tray_.Create(ta)) tray_.SetVisible(true);

  // The dialogs of the creation sequence centre on this window, shown or not.
  App().SetMainForm(form_.Handle());
  created_ = true;
  try {
    logic_.FormCreate();
  } catch (const std::exception& e) {
    // As any handler's error: reported, and the program goes on with the
    // rest of the sequence skipped (the setup button stays disabled).
    App().ShowException(e);
  }
  FillDiskListView();
  return true;
}

bool Tvorel::CreateTitleStrip() {
  HWND f = form_.Handle();
  bool ok = picTitle_.Create(f, Picture({8, 6, 24, 24}, "LOGO"));
  ok = ok && labTile_.Create(f, Text({38, 10, 96, 13}, L"Lumora", TahomaPoints(8), kWhite));
  LabelArgs site = Text({810, 10, 48, 13}, L"\u5B98\u65B9\u7F51\u7AD9", TahomaPoints(8), kWhite);
  site.onClick = [this] { logic_.ZeDaraLabel1Click(); };
  ok = ok && zeDaraLabel1_.Create(f, site);
  ButtonArgs mini = Strip({864, 6, 24, 20}, "Yk_Mini", 0);
  mini.onClick = [this] { Btn_miniClick(); };
  ok = ok && btnMini_.Create(f, mini);
  ButtonArgs close = Strip({888, 6, 24, 20}, "Yk_Close", 0);
  close.onClick = [this] { logic_.Btn_CloseClick(); };
  ok = ok && btnClose_.Create(f, close);
  Name(picTitle_, "Pic_title");
  Name(labTile_, "Lab_Tile");
  Name(zeDaraLabel1_, "ZeDaraLabel1");
  Name(btnMini_, "Btn_mini");
  Name(btnClose_, "Btn_Close");

  // The step banners lie on each other, 4 uppermost; the highest-numbered
  // visible one is seen.
  static const char* const kBanners[4] = {"Banner_1", "Banner_2", "Banner_3", "Banner_4"};
  for (int i = 0; i < 4 && ok; ++i) {
    ok = banners_[i].Create(f, Picture({55, 80, 787, 35}, kBanners[i], i == 0));
    if (!ok) break;
    Name(banners_[i], "Pan_Banner" + std::to_string(i + 1));
    SetWindowPos(banners_[i].Handle(), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return ok;
}

bool Tvorel::CreatePages() {
  PageControlArgs pa;
  pa.bounds = Bounds{32, 152, 858, 422};
  pa.pageCount = 5;
  pa.activePage = 0;
  if (!pageMf_.Create(form_.Handle(), pa)) return false;
  Name(pageMf_, "Page_mf");
  pageMf_.SetOnMouseDown([this] { FormMouseDown(); });
  static const char* const kSheets[5] = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4",
                                         "TabSheet5"};
  for (int i = 0; i < 5; ++i) {
    // The empty page is window background too: pressing on it drags.
    pageMf_.Page(i).SetOnMouseDown([this] { FormMouseDown(); });
    Name(pageMf_.Page(i), kSheets[i]);
  }
  return CreateHomePage(pageMf_.Page(0).Handle()) && CreateListPage(pageMf_.Page(1).Handle()) &&
         CreateDownloadPage(pageMf_.Page(2).Handle()) &&
         CreateInstallPage(pageMf_.Page(3).Handle()) &&
         CreateFinishPage(pageMf_.Page(4).Handle());
}

bool Tvorel::CreateHomePage(HWND page) {
  if (!zeDaraPanel1_.Create(page, Picture({9, 45, 841, 364}, "Pg1"))) return false;
  zeDaraPanel1_.SetOnMouseDown([this] { FormMouseDown(); });
  ButtonArgs setup = Strip({649, 262, 180, 48}, "Btn_setup", 2);
  setup.onClick = [this] { logic_.Btn_setupClick(); };
  if (!btnSetup_.Create(zeDaraPanel1_.Handle(), setup)) return false;
  btnSetup_.SetEnabled(false);  // until the system list is built
  Name(zeDaraPanel1_, "ZeDaraPanel1");
  Name(btnSetup_, "Btn_setup");

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  listAlldisk_ = CreateWindowExW(0, WC_LISTVIEWW, L"List_Alldisk",
                                 WS_CHILD | LVS_REPORT | LVS_SINGLESEL, 0, 0, 400, 100, page,
                                 nullptr, App().Instance(), nullptr);
  if (listAlldisk_) {
    // The drive caption, then the table's cells.
    for (std::size_t c = 0; c < kDiskTableHeaders.size(); ++c) {
      std::wstring header = Wide(kDiskTableHeaders[c]);
      LVCOLUMNW col{};
      col.mask = LVCF_TEXT | LVCF_WIDTH;
      col.cx = 60;
      col.pszText = header.data();
      SendMessageW(listAlldisk_, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&col));
    }
  }
  return true;
}

bool Tvorel::CreateListPage(HWND page) {
  if (!sysListBg_.Create(page, Picture({0, 20, 859, 402}, "Syslist_bg"))) return false;
  Name(sysListBg_, "SysList_bg");
  ScrollBoxArgs sa;
  sa.bounds = Bounds{4, 32, 822, 383};
  sa.wheelStep = lum::MainForm::kListWheelStep;
  sa.barParent = sysListBg_.Handle();
  sa.barBounds = Bounds{832, 3, 10, 396};
  sa.onMouseWheel = [this](int delta) {
    Sb_SyslistMouseWheel(delta);
    return true;
  };
  if (!sbSyslist_.Create(page, sa)) return false;
  SetWindowPos(sbSyslist_.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Name(sbSyslist_, "Sb_Syslist");
  Name(sbSyslist_.ScrollBar(), "Bar1");
  return true;
}

bool Tvorel::CreateDownloadPage(HWND page) {
  ProgressBarArgs pa;
  pa.bounds = Bounds{63, 65, 722, 17};
  pa.bar.Bar_Background = "Jxpro1";
  pa.bar.Bar_Progress = "Jxpro2";
  pa.bar.Value = 0;
  if (!proRun_.Create(page, pa)) return false;
  Name(proRun_, "Pro_Run");
  if (!wvdownloadbg_.Create(page, Picture({63, 168, 722, 204}, "Wvdownloadbg"))) return false;
  Name(wvdownloadbg_, "Wvdownloadbg");
  for (int i = 0; i < 6; ++i) {
    const DownLabel& d = kDownLabels[i];
    const wchar_t* reading = i == 5 ? L"\u8BFB\u53D6\u4E2D.." : L"\u8BFB\u53D6\u4E2D...";  // 读取中
    if (!downLabels_[i].Create(wvdownloadbg_.Handle(),
                               Text({d.left, d.top, d.width, kDownLabelHeight}, reading,
                                    SimSunPixels(16), kBlue)))
      return false;
    Name(downLabels_[i], d.name);
  }
  LabelArgs ret = Text({747, 143, 38, 19}, L"\u8FD4\u56DE", SimSunPixels(19), kBlue);  // 返回
  ret.onClick = [this] { logic_.Lab_ReturnClick(); };
  if (!labReturn_.Create(page, ret)) return false;
  Name(labReturn_, "Lab_Return");
  return true;
}

bool Tvorel::CreateInstallPage(HWND page) {
  if (!picRun_.Create(page, Picture({343, 80, 136, 160}, "Jxrun"))) return false;
  Name(picRun_, "Pic_Run");
  // 温馨提示：正在安装，请稍候...
  LabelArgs tip = Text({6, 271, 843, 19},
                       L"\u6E29\u99A8\u63D0\u793A\uFF1A\u6B63\u5728\u5B89\u88C5\uFF0C\u8BF7\u7A0D"
                       L"\u5019...",
                       SimSunPixels(19), kPink, TextAlign::Center);
  tip.onClick = [this] { logic_.Lab_ReturnClick(); };
  if (!zeDaraLabel2_.Create(page, tip)) return false;
  Name(zeDaraLabel2_, "ZeDaraLabel2");
  return true;
}

bool Tvorel::CreateFinishPage(HWND page) {
  if (!picEnd_.Create(page, Picture({335, 88, 160, 160}, "JXend"))) return false;
  if (!picRoottip_.Create(page, Picture({87, 296, 679, 27}, "Dsrootip"))) return false;
  PanelArgs restart = Picture({335, 344, 180, 48}, "Jxrestart");
  restart.onClick = [this] { logic_.Pic_restartClick(); };
  if (!picRestart_.Create(page, restart)) return false;
  // A label without a click handler lets clicks through to the picture.
  if (!labTime_.Create(picRestart_.Handle(),
                       Text({135, 20, 30, 12}, L"(10S)", SimSunPixels(12), kGreen)))
    return false;
  Name(picEnd_, "Pic_End");
  Name(picRoottip_, "Pic_Roottip");
  Name(picRestart_, "Pic_restart");
  Name(labTime_, "Lab_time");
  return true;
}

void Tvorel::FillDiskListView() {
  if (!listAlldisk_) return;
  SendMessageW(listAlldisk_, LVM_DELETEALLITEMS, 0, 0);
  int row = 0;
  for (const DiskRow& disk : logic_.model().Disks) {
    for (std::size_t c = 0; c <= disk.cells.size() && c < kDiskTableHeaders.size(); ++c) {
      std::wstring text = Wide(c == 0 ? disk.caption : disk.cells[c - 1]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.iSubItem = int(c);
      item.pszText = text.data();
      SendMessageW(listAlldisk_, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, WPARAM(row),
                   reinterpret_cast<LPARAM>(&item));
    }
    ++row;
  }
}

bool Tvorel::OnFormMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_SYSCOMMAND:
      // Minimise and close commands hide the window to the tray; the program
      // keeps running. The application window is minimised meanwhile, so
      // that a second start of the program restores this one.
      if ((wp & 0xFFF0) == SC_MINIMIZE || (wp & 0xFFF0) == SC_CLOSE) {
        ShowWindow(form_.Handle(), SW_HIDE);
        ShowWindow(App().Handle(), SW_MINIMIZE);
        result = 0;
        return true;
      }
      return false;
    case WM_CLOSE:
      // Closing the main window ends the program and stops a running
      // install, whoever sent the message (the close button, the tray's
      // exit, Task Manager); the window itself goes when the program ends.
      logic_.WMClose();
      result = 0;
      return true;
    case WM_QUERYENDSESSION:
      result = logic_.WMQueryEndSession() ? TRUE : FALSE;
      return true;
    case WM_ENDSESSION:
      logic_.WMEndSession(wp != FALSE);
      result = 0;
      return true;
    case WM_TIMER:
      if (wp == kCountdownTimerId) {
        logic_.Timer_CountDownTimer();
        result = 0;
        return true;
      }
      return false;
  }
  return false;
}

void Tvorel::FormMouseDown() { DragMove(form_.Handle()); }

void Tvorel::Btn_miniClick() { SendMessageW(form_.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0); }

void Tvorel::Sb_SyslistMouseWheel(int delta) { logic_.Sb_SyslistMouseWheel(delta); }

// The workflow may go on without dispatching messages after a page or a
// banner changes (the boot preparation on Windows XP waits for nothing), so
// both are painted at once rather than on the next turn of the message loop.
void Tvorel::ShowPage(int index) {
  pageMf_.SetActivePage(index);
  RedrawWindow(pageMf_.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Tvorel::SetBannerVisible(int banner, bool visible) {
  if (banner < 1 || banner > 4) return;
  banners_[banner - 1].SetVisible(visible);
  RedrawWindow(form_.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Tvorel::SetCaption(const std::string& control, const std::string& text) {
  if (auto* label = dynamic_cast<TZeDaraLabel*>(Control(control))) label->SetCaption(Wide(text));
}

void Tvorel::SetVisible(const std::string& control, bool visible) {
  if (SkinWindow* w = Control(control)) w->SetVisible(visible);
}

void Tvorel::SetEnabled(const std::string& control, bool enabled) {
  if (SkinWindow* w = Control(control)) w->SetEnabled(enabled);
}

void Tvorel::CreateListControl(const ListControl& c) {
  if (named_.count(c.name)) return;
  const int top = c.rect.top - sbSyslist_.Position();
  const Bounds b{c.rect.left, top, c.rect.width, c.rect.height};
  HWND box = sbSyslist_.Handle();
  std::unique_ptr<SkinWindow> w;
  switch (c.kind) {
    case ListControlKind::Panel: {
      auto panel = std::make_unique<TZeDaraPanel>();
      if (panel->Create(box, Picture(b, c.picture.c_str()))) w = std::move(panel);
      break;
    }
    case ListControlKind::Label: {
      auto label = std::make_unique<TZeDaraLabel>();
      FontSpec font = TahomaPoints(c.fontSize, c.bold);
      if (label->Create(box, Text(b, Wide(c.caption), font, COLORREF(c.colour)))) w = std::move(label);
      break;
    }
    case ListControlKind::Button: {
      auto button = std::make_unique<TZeDaraButton>();
      ButtonArgs a = Strip(b, c.picture.c_str(), 3);
      const std::string name = c.name;
      a.onClick = [this, name] { logic_.Contorl_install(name); };
      if (button->Create(box, a)) w = std::move(button);
      break;
    }
  }
  if (!w) return;
  Name(*w, c.name);
  rows_[c.name] = std::move(w);
}

void Tvorel::FreeListControl(const std::string& name) {
  auto it = rows_.find(name);
  if (it == rows_.end()) return;
  named_.erase(name);
  rows_.erase(it);
}

int Tvorel::ShowAppmbox(const std::string& text, bool showCancel) {
  return win::ShowAppmbox(text, showCancel);
}

void Tvorel::Terminate() { App().Terminate(); }

void Tvorel::CloseWindow() { SendMessageW(form_.Handle(), WM_CLOSE, 0, 0); }

void Tvorel::ShowMainWindow() {
  App().SetShowMainForm(true);
  // Back from the tray: the application window leaves its minimised state
  // quietly, then the window shows on the page it left.
  if (IsIconic(App().Handle())) ShowWindow(App().Handle(), SW_SHOWNOACTIVATE);
  ShowWindow(form_.Handle(), SW_SHOW);
  SetForegroundWindow(form_.Handle());
}

void Tvorel::SetCountdownTimer(bool running) {
  if (running)
    SetTimer(form_.Handle(), kCountdownTimerId, 1000, nullptr);
  else
    KillTimer(form_.Handle(), kCountdownTimerId);
}

}  // namespace lum::win
