// The real main window and message dialog under Wine: every named control at
// its place, the painted skin, and the pages driven with real mouse input
// (setup button, wheel, install, close answered Cancel then OK, the tray,
// dragging, the countdown to the restart command, the close message and the
// end of the session sent from outside).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/application.h"
#include "app/win32/msgform_win.h"
#include "catalogue/catalogue.h"
#include "catalogue/recommend_sys.h"
#include "inspect/processes.h"
#include "skin/image_store.h"
#include "tests/win32/app/window_fixture.h"

namespace lumtest {
namespace {

using lum::win::App;
using lum::win::Bounds;
using lum::win::SkinWindow;
using lum::win::TAppmbox;
using lum::win::Tvorel;

struct Place {
  const char* name;
  const char* parent;  // the control's parent window, by name ("" for the form)
  int page;            // the page it lies on, -1 for none
  int x, y, w, h;      // w and h of -1: not fixed by the layout
};

// The main window's layout, in the parent's client coordinates.
const Place kMainPlaces[] = {
    {"Pic_title", "", -1, 8, 6, 24, 24},
    {"Lab_Tile", "", -1, 38, 10, 96, 13},
    {"ZeDaraLabel1", "", -1, 810, 10, 48, 13},
    {"Btn_mini", "", -1, 864, 6, 24, 20},
    {"Btn_Close", "", -1, 888, 6, 24, 20},
    {"Pan_Banner1", "", -1, 55, 80, 787, 35},
    {"Pan_Banner2", "", -1, 55, 80, 787, 35},
    {"Pan_Banner3", "", -1, 55, 80, 787, 35},
    {"Pan_Banner4", "", -1, 55, 80, 787, 35},
    {"Page_mf", "", -1, 32, 152, 858, 422},
    {"ZeDaraPanel1", "TabSheet1", 0, 9, 45, 841, 364},
    {"Btn_setup", "ZeDaraPanel1", 0, 649, 262, 180, 48},
    {"SysList_bg", "TabSheet2", 1, 0, 20, 859, 402},
    {"Bar1", "SysList_bg", 1, 832, 3, 10, 396},
    {"Sb_Syslist", "TabSheet2", 1, 4, 32, 822, 383},
    {"Pro_Run", "TabSheet3", 2, 63, 65, 722, 17},
    {"Wvdownloadbg", "TabSheet3", 2, 63, 168, 722, 204},
    {"Down_fn", "Wvdownloadbg", 2, 114, 36, -1, -1},
    {"Down_Dph", "Wvdownloadbg", 2, 306, 36, -1, -1},
    {"Down_Fsize", "Wvdownloadbg", 2, 114, 88, -1, -1},
    {"Down_SD", "Wvdownloadbg", 2, 306, 88, -1, -1},
    {"Down_Js", "Wvdownloadbg", 2, 482, 88, -1, -1},
    {"Down_pro", "Wvdownloadbg", 2, 650, 88, -1, -1},
    {"Lab_Return", "TabSheet3", 2, 747, 143, 38, 19},
    {"Pic_Run", "TabSheet4", 3, 343, 80, 136, 160},
    {"ZeDaraLabel2", "TabSheet4", 3, 6, 271, 843, 19},
    {"Pic_End", "TabSheet5", 4, 335, 88, 160, 160},
    {"Pic_Roottip", "TabSheet5", 4, 87, 296, 679, 27},
    {"Pic_restart", "TabSheet5", 4, 335, 344, 180, 48},
    {"Lab_time", "Pic_restart", 4, 135, 20, 30, 12},
};

// The eight slots of a system list row, row 1, relative to the list's content.
struct Slot {
  const char* prefix;
  int top, left, w, h;
};
const Slot kRowSlots[] = {
    {"JXPICA", 0, 15, 100, 60},   {"JXLABA", 3, 136, 200, 20},   {"JXLABB", 41, 136, 350, 20},
    {"JXLABC", 3, 500, 200, 20},  {"JXLABD", 41, 500, 200, 20},  {"JXHOTSYS", 14, 440, 47, 28},
    {"JXBUTTONI", 14, 710, 100, 30}, {"JXLINES", 60, 15, 820, 9},
};

std::string WindowText(HWND h) {
  wchar_t buf[128] = {};
  GetWindowTextW(h, buf, 128);
  std::string out;
  for (wchar_t c : std::wstring(buf)) out += char(c);
  return out;
}

std::wstring ClassOf(HWND h) {
  wchar_t buf[64] = {};
  GetClassNameW(h, buf, 64);
  return buf;
}

HWND VisibleDialog() {
  HWND h = FindWindowW(L"TAppmbox", nullptr);
  return h && IsWindowVisible(h) ? h : nullptr;
}

HWND DialogControl(HWND dialog, const wchar_t* name) {
  return dialog ? FindWindowExW(dialog, nullptr, nullptr, name) : nullptr;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCursorPos(2, 2); }

  HWND H(MainWindow& w, const char* name) {
    SkinWindow* c = w.form().Control(name);
    return c ? c->Handle() : nullptr;
  }
  bool PageShown(MainWindow& w, int page) {
    return IsWindowVisible(w.form().PageControl().Page(page).Handle()) != FALSE;
  }

  TestMachine machine_;
};

TEST_F(MainWindowTest, EveryControlSitsWhereTheLayoutSaysAndShowsOnItsPageOnly) {
  MainWindow w(machine_, DownloadScript::Succeed);
  HWND form = w.form().Handle();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(ClassOf(form), L"Tvorel");
  LONG_PTR style = GetWindowLongPtrW(form, GWL_STYLE);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_FALSE(style & WS_THICKFRAME);
  RECT wr{}, cr{};
  GetWindowRect(form, &wr);
  GetClientRect(form, &cr);
  EXPECT_EQ(cr.right, 920);
  EXPECT_EQ(cr.bottom, 600);
  EXPECT_EQ(wr.left, (GetSystemMetrics(SM_CXSCREEN) - 920) / 2) << "centred";
  EXPECT_EQ(wr.top, (GetSystemMetrics(SM_CYSCREEN) - 600) / 2);

  for (int page = 0; page < 5; ++page) {
    w.form().ShowPage(page);
    Pump(50);
    for (const Place& pl : kMainPlaces) {
      SCOPED_TRACE(std::string(pl.name) + " on page " + std::to_string(page));
      SkinWindow* c = w.form().Control(pl.name);
      ASSERT_NE(c, nullptr);
      HWND parent = GetParent(c->Handle());
      EXPECT_EQ(WindowText(parent == form ? nullptr : parent), std::string(pl.parent));
      Bounds b = c->GetBounds();
      EXPECT_EQ(b.x, pl.x);
      EXPECT_EQ(b.y, pl.y);
      if (pl.w >= 0) {
        EXPECT_EQ(b.width, pl.w);
      }
      if (pl.h >= 0) {
        EXPECT_EQ(b.height, pl.h);
      }
      const bool banner = std::string(pl.name).rfind("Pan_Banner", 0) == 0;
      bool expected = pl.page < 0 || pl.page == page;
      if (banner) expected = std::string(pl.name) == "Pan_Banner1";
      if (std::string(pl.name) == "Bar1") expected = page == 1;  // the list is longer than the box
      EXPECT_EQ(IsWindowVisible(c->Handle()) != FALSE, expected);
    }
  }
  // Banner 4 lies uppermost, banner 1 lowest.
  int order = 0;
  for (HWND h = H(w, "Pan_Banner4"); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (h == H(w, "Pan_Banner4")) order = order * 10 + 4;
    if (h == H(w, "Pan_Banner3")) order = order * 10 + 3;
    if (h == H(w, "Pan_Banner2")) order = order * 10 + 2;
    if (h == H(w, "Pan_Banner1")) order = order * 10 + 1;
  }
  EXPECT_EQ(order, 4321);

  // The setup button is enabled once the list is built; the disk table sits
  // in the hidden list view.
  EXPECT_TRUE(IsWindowEnabled(H(w, "Btn_setup")));
  HWND disks = w.form().DiskListView();
  ASSERT_NE(disks, nullptr);
  EXPECT_FALSE(IsWindowVisible(disks));
  EXPECT_EQ(SendMessageW(disks, 0x1004 /* LVM_GETITEMCOUNT */, 0, 0),
            LRESULT(w.form().Logic().model().Disks.size()));
  EXPECT_GE(w.form().Logic().model().Disks.size(), 2u);
}

TEST_F(MainWindowTest, SystemListRowsFollowTheRowLayoutWithTheBadgeOnTheRecommendedRow) {
  MainWindow w(machine_, DownloadScript::Succeed);
  const auto& model = w.form().Logic().model();
  ASSERT_EQ(model.SysCatalog.size(), 7u);
  const lum::Recommendation rec = lum::GetRecommendSys(machine_.platform(), model.SysPartition.PIsGpt);
  int badges = 0;
  for (int n = 1; n <= 7; ++n) {
    const bool recommended = lum::IsRecommendedEntry(model.SysCatalog[std::size_t(n - 1)], rec);
    for (const Slot& s : kRowSlots) {
      const std::string name = s.prefix + std::to_string(n);
      SCOPED_TRACE(name);
      SkinWindow* c = w.form().Control(name);
      if (std::string(s.prefix) == "JXHOTSYS" && !recommended) {
        EXPECT_EQ(c, nullptr);
        continue;
      }
      ASSERT_NE(c, nullptr);
      EXPECT_EQ(GetParent(c->Handle()), w.form().SysList().Handle());
      Bounds b = c->GetBounds();
      EXPECT_EQ(b.y, s.top + 78 * (n - 1));
      EXPECT_EQ(b.x, s.left);
      EXPECT_EQ(b.width, s.w);
      EXPECT_EQ(b.height, s.h);
    }
    badges += recommended;
  }
  EXPECT_LE(badges, 1);
  EXPECT_EQ(w.form().Control("JXPICA7")->GetBounds().y, 468);
  EXPECT_EQ(w.form().Control("JXLINES7")->GetBounds().y, 528);
  EXPECT_EQ(w.form().SysList().ContentHeight(), 537) << "row 7's separator ends the content";
}

TEST_F(MainWindowTest, PaintsItsPicturesAndTheHotFrameUnderTheMouse) {
  MainWindow w(machine_, DownloadScript::Succeed);
  HWND form = w.form().Handle();
  Pump(200);
  const lum::TZeDaraImage* bg = lum::ZeDaraResManager().GetImageByName("Bg_Mf");
  ASSERT_NE(bg, nullptr);
  HDC dc = GetDC(form);
  // The band above the pages, between the banner and the page control.
  for (POINT pt : {POINT{20, 140}, POINT{900, 60}, POINT{450, 130}}) {
    COLORREF got = GetPixel(dc, pt.x, pt.y);
    EXPECT_EQ(got, RGB(27, 129, 251)) << "at " << pt.x << "," << pt.y;
  }
  // The home page picture is drawn one to one.
  const lum::TZeDaraImage* pg1 = lum::ZeDaraResManager().GetImageByName("Pg1");
  ASSERT_NE(pg1, nullptr);
  for (POINT pt : {POINT{100, 100}, POINT{500, 200}, POINT{700, 330}}) {
    std::uint32_t px = pg1->At(pt.x, pt.y);
    COLORREF want = RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
    EXPECT_EQ(GetPixel(dc, 32 + 9 + pt.x, 152 + 45 + pt.y), want) << "Pg1 at " << pt.x << "," << pt.y;
  }

  // The close button shows its hot frame while the mouse is over it.
  auto* close = dynamic_cast<lum::win::TZeDaraButton*>(w.form().Control("Btn_Close"));
  ASSERT_NE(close, nullptr);
  auto sum = [&] {
    std::uint64_t s = 0;
    for (int y = 6; y < 26; ++y)
      for (int x = 888; x < 912; ++x) s += GetPixel(dc, x, y) & 0xFFFFFF;
    return s;
  };
  std::uint64_t normal = sum();
  EXPECT_EQ(close->CurrentFrame().frame, 0);
  MouseMove(CentreOf(close->Handle()));
  ASSERT_TRUE(PumpUntil([&] { return close->CurrentFrame().frame == 1; }, 3000));
  Pump(100);
  EXPECT_NE(sum(), normal) << "the hot frame reached the screen";
  MouseMove(POINT{2, 2});
  EXPECT_TRUE(PumpUntil([&] { return close->CurrentFrame().frame == 0; }, 3000));
  Pump(100);
  EXPECT_EQ(sum(), normal);
  ReleaseDC(form, dc);
}

// The first pixel of an image that is opaque and not white, or {-1, -1}.
POINT OpaquePixel(const lum::TZeDaraImage& img) {
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      std::uint32_t p = img.At(x, y);
      if ((p >> 24) == 0xFF && (p & 0xFFFFFF) != 0xFFFFFF && (p & 0xFFFFFF) != 0) return POINT{x, y};
    }
  return POINT{-1, -1};
}

TEST_F(MainWindowTest, PagesAndBannersPaintAtOnceWithoutTheMessageLoop) {
  MainWindow w(machine_, DownloadScript::Succeed);
  HWND form = w.form().Handle();
  struct Probe {
    const char* image;
    int page, banner;  // what to show
    int left, top;     // where the image lies in the window
  };
  const Probe probes[] = {{"Jxrun", 3, 4, 32 + 343, 152 + 80},
                          {"Banner_4", 3, 4, 55, 80},
                          {"JXend", 4, 4, 32 + 335, 152 + 88}};
  for (const Probe& pr : probes) {
    SCOPED_TRACE(pr.image);
    const lum::TZeDaraImage* img = lum::ZeDaraResManager().GetImageByName(pr.image);
    ASSERT_NE(img, nullptr);
    POINT at = OpaquePixel(*img);
    ASSERT_GE(at.x, 0);
    std::uint32_t px = img->At(at.x, at.y);
    // No message is dispatched between the change and the reading.
    w.form().ShowPage(pr.page);
    w.form().SetBannerVisible(pr.banner, true);
    HDC dc = GetDC(form);
    EXPECT_EQ(GetPixel(dc, pr.left + at.x, pr.top + at.y),
              RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF));
    ReleaseDC(form, dc);
  }
}

// Runs script on a thread of its own while this thread dispatches the
// window's messages, until the script ends and then the program has ended
// or untilEnd is false.
void Drive(const std::function<void()>& script, int timeoutMs = 60000) {
  std::atomic<bool> finished{false};
  std::thread driver([&] {
    script();
    finished = true;
  });
  bool ok = PumpUntil([&] { return finished.load(); }, timeoutMs);
  if (!ok) {
    // Unwind whatever loop is running, then wait for the script.
    App().Terminate();
    PumpUntil([&] { return finished.load(); }, 20000);
  }
  driver.join();
  EXPECT_TRUE(ok) << "the driving script timed out";
}

TEST_F(MainWindowTest, SetupWheelInstallThenCloseAnsweredCancelAndThenOk) {
  MainWindow w(machine_, DownloadScript::UntilExit);
  MainThreadCall onMain;
  std::vector<std::string> failures;
  auto check = [&](bool ok, const char* what) {
    if (!ok) failures.push_back(what);
    return ok;
  };
  HWND setup = H(w, "Btn_setup"), box = H(w, "Sb_Syslist"), row1 = H(w, "JXPICA1");
  HWND install = H(w, "JXBUTTONI1"), closeBtn = H(w, "Btn_Close");
  auto rowTop = [&] {
    RECT r{}, b{};
    GetWindowRect(row1, &r);
    GetWindowRect(box, &b);
    return int(r.top - b.top);
  };
  Drive([&] {
    MouseClick(CentreOf(setup));
    if (!check(WaitFor([&] { return PageShown(w, 1) && IsWindowVisible(H(w, "Pan_Banner2")); }, 5000),
               "setup button: system list with banner 2"))
      return;
    // One notch down moves the list by 25, a message of two notches by 50,
    // four quarter notches back up by 25; then up stops at its top.
    MouseWheel(CentreOf(box), -1);
    check(WaitFor([&] { return rowTop() == -25; }, 3000), "wheel down by 25");
    MouseWheelDelta(CentreOf(box), -2 * WHEEL_DELTA);
    check(WaitFor([&] { return rowTop() == -75; }, 3000), "a two-notch message moves 50");
    for (int i = 0; i < 4; ++i) MouseWheelDelta(CentreOf(box), WHEEL_DELTA / 4);
    check(WaitFor([&] { return rowTop() == -50; }, 3000), "four quarter notches move 25");
    MouseWheel(CentreOf(box), 3);
    check(WaitFor([&] { return rowTop() == 0; }, 3000), "wheel up stops at the top");
    Sleep(300);
    check(rowTop() == 0, "list stays at its top");

    MouseClick(CentreOf(install));
    if (!check(WaitFor([&] { return PageShown(w, 2) && w.steps().downloading; }, 5000),
               "install button: download page"))
      return;
    check(IsWindowVisible(H(w, "Pan_Banner3")) != FALSE, "banner 3 during the download");

    // Close during the download: the question, answered Cancel.
    MouseClick(CentreOf(closeBtn));
    HWND dlg = nullptr;
    if (!check(WaitFor([&] { return (dlg = VisibleDialog()) != nullptr; }, 5000), "close asks"))
      return;
    HWND cancel = DialogControl(dlg, L"Btn_Exit");
    check(cancel && IsWindowVisible(cancel), "Cancel offered");
    check(!IsWindowEnabled(w.form().Handle()), "main window takes no input under the dialog");
    MouseClick(CentreOf(cancel));
    check(WaitFor([&] { return VisibleDialog() == nullptr; }, 5000), "Cancel closes the dialog");
    // (Under Wine without a window manager a top-level window takes up to
    // two seconds to go.)
    int before = w.steps().ticks;
    check(WaitFor([&] { return w.steps().ticks > before + 10; }, 8000) && w.steps().downloading,
          "the download goes on after Cancel");
    check(PageShown(w, 2), "still on the download page");

    // Close again, answered OK: the download stops and the program ends.
    MouseClick(CentreOf(closeBtn));
    if (!check(WaitFor([&] { return (dlg = VisibleDialog()) != nullptr; }, 5000), "close asks again"))
      return;
    MouseClick(CentreOf(DialogControl(dlg, L"Btn_Ok")));
    check(WaitFor([&] { return !w.steps().downloading; }, 5000), "OK stops the download");
    bool ended = false;
    onMain.Run([&] { ended = App().Terminated(); });
    check(ended, "OK ends the program");
    Sleep(300);
    check(VisibleDialog() == nullptr, "no failure message after quitting");
  });
  for (const std::string& f : failures) ADD_FAILURE() << f;
  EXPECT_TRUE(w.steps().ExitRequested());
}

TEST_F(MainWindowTest, CloseOnTheHomePageEndsAtOnceWithoutAQuestion) {
  MainWindow w(machine_, DownloadScript::Succeed);
  std::atomic<bool> asked{false};
  Drive([&] {
    MouseClick(CentreOf(H(w, "Btn_Close")));
    Sleep(800);
    asked = VisibleDialog() != nullptr;
  });
  EXPECT_FALSE(asked);
  EXPECT_TRUE(App().Terminated());
}

TEST_F(MainWindowTest, MinimiseHidesToTheTrayAndATrayClickBringsBackTheSamePage) {
  MainWindow w(machine_, DownloadScript::Succeed);
  HWND form = w.form().Handle();
  std::vector<std::string> failures;
  Drive([&] {
    MouseClick(CentreOf(H(w, "Btn_setup")));
    if (!WaitFor([&] { return PageShown(w, 1); }, 5000)) return failures.push_back("list page");
    MouseClick(CentreOf(H(w, "Btn_mini")));
    if (!WaitFor([&] { return !IsWindowVisible(form); }, 5000))
      return failures.push_back("minimise hides the window");
    Sleep(300);
    if (App().Terminated()) failures.push_back("hiding ended the program");
    // The shell tells the tray window of a click on the icon.
    PostMessageW(w.form().Tray().Window(), lum::win::TMlTrayIcon::kCallbackMessage, 1, WM_LBUTTONUP);
    if (!WaitFor([&] { return IsWindowVisible(form) != FALSE; }, 5000))
      return failures.push_back("tray click shows the window");
    if (!PageShown(w, 1)) failures.push_back("back on the page it left");
    // The tray menu's site item opens the product site through the shell.
    PostMessageW(w.form().Tray().Window(), WM_COMMAND, Tvorel::kMenuSite, 0);
    WaitFor([&] { return !machine_.shell().Opened().empty(); }, 3000);
  });
  for (const std::string& f : failures) ADD_FAILURE() << f;
  ASSERT_EQ(machine_.shell().Opened().size(), 1u);
  EXPECT_EQ(machine_.shell().Opened()[0], w.form().Logic().model().SiteUrl);
  EXPECT_TRUE(w.form().Tray().Visible());
}

TEST_F(MainWindowTest, DraggingTheBackgroundMovesTheWindow) {
  MainWindow w(machine_, DownloadScript::Succeed);
  HWND form = w.form().Handle();
  RECT before{};
  GetWindowRect(form, &before);
  // Empty background: the band under the banner, and the empty page.
  const POINT grabs[] = {{450, 135}, {40 + 32, 420 + 152}};
  int dx = 0, dy = 0;
  for (POINT g : grabs) {
    Drive([&] {
      MouseDrag(POINT{before.left + dx + g.x, before.top + dy + g.y}, POINT{60, 30}, 6);
    });
    dx += 60;
    dy += 30;
    RECT after{};
    GetWindowRect(form, &after);
    EXPECT_EQ(after.left - before.left, dx) << "grab at " << g.x << "," << g.y;
    EXPECT_EQ(after.top - before.top, dy);
  }
}

TEST_F(MainWindowTest, FinishPageCountsDownFromTenToTheRestartCommand) {
  MainWindow w(machine_, DownloadScript::Succeed);
  MainThreadCall onMain;
  std::vector<std::string> failures;
  std::wstring first, last;
  bool shownAtOpen = false, hiddenAtEnd = false;
  DWORD opened = 0, restarted = 0;
  Drive([&] {
    MouseClick(CentreOf(H(w, "Btn_setup")));
    if (!WaitFor([&] { return PageShown(w, 1); }, 5000)) return failures.push_back("list page");
    MouseClick(CentreOf(H(w, "JXBUTTONI1")));
    if (!WaitFor([&] { return PageShown(w, 4); }, 10000)) return failures.push_back("finish page");
    opened = GetTickCount();
    auto* label = dynamic_cast<lum::win::TZeDaraLabel*>(w.form().Control("Lab_time"));
    onMain.Run([&] {
      first = label->Caption();
      shownAtOpen = IsWindowVisible(label->Handle()) != FALSE;
    });
    if (!WaitFor([&] { return !machine_.processes().Started().empty(); }, 20000))
      return failures.push_back("no restart command");
    restarted = GetTickCount();
    onMain.Run([&] {
      last = label->Caption();
      hiddenAtEnd = !IsWindowVisible(label->Handle());
    });
  }, 90000);
  for (const std::string& f : failures) ADD_FAILURE() << f;
  EXPECT_EQ(first, L"(10S)");
  EXPECT_TRUE(shownAtOpen);
  EXPECT_EQ(last, L"(0S)");
  EXPECT_TRUE(hiddenAtEnd);
  EXPECT_GE(restarted - opened, 9000u) << "ten ticks of a second";
  ASSERT_EQ(machine_.processes().Started().size(), 1u);
  EXPECT_EQ(machine_.processes().Started()[0], lum::kRestartCommand);
  EXPECT_TRUE(IsWindowVisible(H(w, "Pan_Banner4")));
}

// Requests to end the program from outside it: Task Manager's End task and
// taskkill post WM_CLOSE; Windows asks with WM_QUERYENDSESSION and then sends
// WM_ENDSESSION when the session ends. Each stops the download (the stop
// flag the real download polls) and ends the program without a question.
TEST_F(MainWindowTest, CloseAndSessionEndFromOutsideStopTheDownloadWithoutAQuestion) {
  for (bool session : {false, true}) {
    SCOPED_TRACE(session ? "WM_QUERYENDSESSION, WM_ENDSESSION" : "WM_CLOSE");
    MainWindow w(machine_, DownloadScript::UntilExit);
    HWND form = w.form().Handle();
    std::vector<std::string> failures;
    auto check = [&](bool ok, const char* what) {
      if (!ok) failures.push_back(what);
      return ok;
    };
    MainThreadCall onMain;
    DWORD_PTR answer = 0;
    Drive([&] {
      MouseClick(CentreOf(H(w, "Btn_setup")));
      if (!check(WaitFor([&] { return PageShown(w, 1); }, 5000), "list page")) return;
      MouseClick(CentreOf(H(w, "JXBUTTONI1")));
      if (!check(WaitFor([&] { return PageShown(w, 2) && w.steps().downloading; }, 5000),
                 "download page"))
        return;
      // Sent or posted from this thread, as another program would.
      if (session) {
        check(SendMessageTimeoutW(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                  5000, &answer) != 0,
              "WM_QUERYENDSESSION answered");
        SendMessageTimeoutW(form, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                            nullptr);
      } else {
        PostMessageW(form, WM_CLOSE, 0, 0);
      }
      if (!check(WaitFor([&] { return !w.steps().downloading; }, 5000), "the download stops")) {
        // Unwind the download loop, which holds the window's thread.
        onMain.Run([] { App().Terminate(); });
        return;
      }
      Sleep(500);
      check(VisibleDialog() == nullptr, "no question and no failure message");
    });
    for (const std::string& f : failures) ADD_FAILURE() << f;
    EXPECT_TRUE(w.steps().ExitRequested());
    EXPECT_TRUE(App().Terminated());
    if (session) EXPECT_EQ(answer, DWORD_PTR(TRUE)) << "the session may end";
  }
}

// On the finish page the boot is prepared: a close from outside ends the
// program with its countdown stopped, so no restart follows.
TEST_F(MainWindowTest, CloseFromOutsideOnTheFinishPageStopsTheCountdown) {
  MainWindow w(machine_, DownloadScript::Succeed);
  MainThreadCall onMain;
  auto* label = dynamic_cast<lum::win::TZeDaraLabel*>(w.form().Control("Lab_time"));
  ASSERT_NE(label, nullptr);
  std::vector<std::string> failures;
  std::wstring atClose, later;
  Drive([&] {
    MouseClick(CentreOf(H(w, "Btn_setup")));
    if (!WaitFor([&] { return PageShown(w, 1); }, 5000)) return failures.push_back("list page");
    MouseClick(CentreOf(H(w, "JXBUTTONI1")));
    if (!WaitFor([&] { return PageShown(w, 4); }, 10000)) return failures.push_back("finish page");
    PostMessageW(w.form().Handle(), WM_CLOSE, 0, 0);
    if (!WaitFor([&] { return App().Terminated(); }, 5000))
      return failures.push_back("the close ends the program");
    onMain.Run([&] { atClose = label->Caption(); });
    // The test's loop goes on dispatching: a running countdown would tick.
    Sleep(2500);
    onMain.Run([&] { later = label->Caption(); });
  });
  for (const std::string& f : failures) ADD_FAILURE() << f;
  EXPECT_EQ(later, atClose) << "the countdown went on after the close";
  EXPECT_FALSE(w.form().Logic().model().CountdownRunning);
  EXPECT_TRUE(machine_.processes().Started().empty()) << "a restart was started";
  EXPECT_TRUE(w.steps().ExitRequested());
}

// ---- the message dialog ----------------------------------------------------

const Place kDialogPlaces[] = {
    {"Pic_title", "", -1, 8, 6, 24, 24},       {"Lab_Tile", "", -1, 38, 10, 96, 13},
    {"Btn_Close", "", -1, 489, 8, 24, 20},     {"lbTip", "", -1, 16, 104, 489, 81},
    {"Btn_Exit", "", -1, 225, 232, 120, 30},   {"Btn_Ok", "", -1, 385, 232, 120, 30},
};

class AppmboxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplicationOnce();
    App().ClearTerminated();
    SetCursorPos(2, 2);
  }
  void TearDown() override { App().ClearTerminated(); }
};

TEST_F(AppmboxTest, LayoutWithAndWithoutCancelCentredOnTheMainWindow) {
  // A hidden owner-to-be at a known place: the dialog centres on it even so.
  HWND anchor = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 50, 920, 600, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  for (bool cancel : {false, true}) {
    TAppmbox box;
    ASSERT_TRUE(box.Create(anchor));
    box.SetText("提示：程序正在运行，确定要退出吗？");
    box.SetCancelVisible(cancel);
    ShowWindow(box.Handle(), SW_SHOWNA);
    Pump(50);
    EXPECT_EQ(ClassOf(box.Handle()), L"TAppmbox");
    RECT wr{}, cr{};
    GetWindowRect(box.Handle(), &wr);
    GetClientRect(box.Handle(), &cr);
    EXPECT_EQ(cr.right, 521);
    EXPECT_EQ(cr.bottom, 278);
    EXPECT_EQ(wr.left, 100 + (920 - 521) / 2);
    EXPECT_EQ(wr.top, 50 + (600 - 278) / 2);
    for (const Place& pl : kDialogPlaces) {
      SCOPED_TRACE(pl.name);
      SkinWindow* c = box.Control(pl.name);
      ASSERT_NE(c, nullptr);
      Bounds b = c->GetBounds();
      EXPECT_EQ(b.x, pl.x);
      EXPECT_EQ(b.y, pl.y);
      EXPECT_EQ(b.width, pl.w);
      EXPECT_EQ(b.height, pl.h);
      const bool visible = std::string(pl.name) != "Btn_Exit" || cancel;
      EXPECT_EQ(IsWindowVisible(c->Handle()) != FALSE, visible);
    }
  }
  DestroyWindow(anchor);
}

TEST_F(AppmboxTest, MessageFontIsYaHeiOnlyWhenInstalledAndLongTextWrapsInsideTheLabel) {
  EXPECT_TRUE(lum::win::ScreenFontInstalled(L"WenQuanYi Micro Hei"));
  EXPECT_FALSE(lum::win::ScreenFontInstalled(L"No Such Font Family"));
  TAppmbox box;
  ASSERT_TRUE(box.Create(nullptr));
  const std::wstring yahei = L"\u5FAE\u8F6F\u96C5\u9ED1";
  EXPECT_EQ(box.FontName(), lum::win::ScreenFontInstalled(yahei) ? yahei : std::wstring(L"\u5B8B\u4F53"));
  std::string longText;
  for (int i = 0; i < 6; ++i) longText += "提示：下载失败，请关闭程序后重试！";
  box.SetText(longText);
  ShowWindow(box.Handle(), SW_SHOWNA);
  Pump(50);
  SkinWindow* tip = box.Control("lbTip");
  const lum::win::BackBuffer& buf = tip->Render();
  // Rows of the label that the text reaches (the text is white on blue).
  int firstRow = -1, lastRow = -1;
  for (int y = 0; y < buf.Height(); ++y)
    for (int x = 0; x < buf.Width(); ++x)
      if ((buf.At(x, y) & 0xFFFFFF) == 0xFFFFFF) {
        if (firstRow < 0) firstRow = y;
        lastRow = y;
        break;
      }
  ASSERT_GE(firstRow, 0) << "no text drawn";
  EXPECT_GT(lastRow - firstRow, 30) << "wrapped onto several lines";
  RECT cr{};
  GetClientRect(box.Handle(), &cr);
  EXPECT_EQ(cr.right, 521);
  EXPECT_EQ(cr.bottom, 278);
}

TEST_F(AppmboxTest, ButtonsAndTheCloseButtonGiveTheirResults) {
  struct Case {
    const wchar_t* button;  // or nullptr: the key instead
    WORD key;
    bool cancel;
    int result;
  };
  const Case cases[] = {{L"Btn_Ok", 0, false, 1},        {L"Btn_Exit", 0, true, 11},
                        {L"Btn_Close", 0, true, 11},     {L"Btn_Ok", 0, true, 1},
                        {nullptr, VK_RETURN, true, 1},   {nullptr, VK_ESCAPE, true, 11},
                        {nullptr, VK_ESCAPE, false, 11}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button ? std::string(c.button, c.button + lstrlenW(c.button))
                          : "key " + std::to_string(c.key));
    std::atomic<bool> clicked{false};
    std::thread driver([&] {
      HWND dlg = nullptr;
      if (WaitFor([&] { return (dlg = VisibleDialog()) != nullptr; }, 5000)) {
        Sleep(100);
        if (c.button) {
          MouseClick(CentreOf(DialogControl(dlg, c.button)));
        } else {
          INPUT in[2] = {};
          in[0].type = in[1].type = INPUT_KEYBOARD;
          in[0].ki.wVk = in[1].ki.wVk = c.key;
          in[1].ki.dwFlags = KEYEVENTF_KEYUP;
          SendInput(2, in, sizeof in[0]);
        }
        clicked = true;
      }
    });
    int result = lum::win::ShowAppmbox("提示：下载失败，请关闭程序后重试！", c.cancel);
    driver.join();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(result, c.result);
  }
}

TEST_F(AppmboxTest, DraggedByItsBackgroundAndClosedAtOnceWhenTheProgramEnds) {
  std::atomic<int> moved{0};
  std::thread driver([&] {
    HWND dlg = nullptr;
    if (!WaitFor([&] { return (dlg = VisibleDialog()) != nullptr; }, 5000)) return;
    Sleep(100);
    RECT before{};
    GetWindowRect(dlg, &before);
    MouseDrag(POINT{before.left + 260, before.top + 60}, POINT{40, 20}, 5);
    RECT after{};
    GetWindowRect(dlg, &after);
    moved = int(after.left - before.left) * 1000 + int(after.top - before.top);
    // The program is asked to end while the dialog shows.
    PostMessageW(dlg, WM_CLOSE, 0, 0);
  });
  int result = lum::win::ShowAppmbox("提示：数据包不存在！", false);
  driver.join();
  EXPECT_EQ(moved, 40 * 1000 + 20);
  EXPECT_EQ(result, 11) << "closing the window is Cancel";

  App().Terminate();
  EXPECT_NE(lum::win::ShowAppmbox("提示：程序正在运行，确定要退出吗？", true), 1)
      << "while the program ends the dialog does not wait";
}

}  // namespace
}  // namespace lumtest
