// The skinned controls on a real (Wine) display: a form with its picture and
// layered frame, and the controls on it, checked through their rectangles,
// their visibility and the pixels they paint, and driven with mouse messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "skin/image_store.h"
#include "skin/win32/color_button.h"
#include "skin/win32/page_control.h"
#include "skin/win32/progress_bar_win.h"
#include "skin/win32/scroll_box.h"
#include "skin/win32/skin_button.h"
#include "skin/win32/skin_form.h"
#include "skin/win32/skin_label.h"
#include "skin/win32/skin_panel.h"
#include "skin/win32/tray_icon.h"
#include "tests/win32/skin/skin_test_store.h"

namespace lum::win {
namespace {

using test::Rgb;

void Pump(int ms = 50) {
  DWORD end = GetTickCount() + DWORD(ms);
  do {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    Sleep(5);
  } while (GetTickCount() < end);
}

// Paints the window through WM_PAINT and returns what its back buffer holds.
const BackBuffer& Painted(SkinWindow& w) {
  InvalidateRect(w.Handle(), nullptr, FALSE);
  UpdateWindow(w.Handle());
  return w.Buffer();
}

RECT WindowRectOf(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

LPARAM ClientPoint(int x, int y) { return MAKELPARAM(x, y); }

POINT ScreenCentre(HWND h) {
  RECT r = WindowRectOf(h);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// One form for the whole suite (making and destroying a top-level window
// costs Wine about two seconds without a window manager); each test puts it
// back at its place and size, shown.
class SkinControlsTest : public ::testing::Test {
 protected:
  static constexpr int kX = 200, kY = 150, kW = 320, kH = 240;

  static void SetUpTestSuite() {
    test::InstallTestStore();
    form_ = new TZeDaraForm;
    FormArgs fa;
    fa.title = L"Lumora skin test";
    fa.bounds = Bounds{kX, kY, kW, kH};
    fa.picture = "T_Form";
    ASSERT_TRUE(form_->Create(fa));
  }
  static void TearDownTestSuite() {
    delete form_;
    form_ = nullptr;
    ReleaseResManager();
    SetResManagerSource(nullptr);
  }
  void SetUp() override {
    ASSERT_NE(form_, nullptr);
    if (IsIconic(form_->Handle())) ShowWindow(form_->Handle(), SW_RESTORE);
    SetWindowPos(form_->Handle(), HWND_TOP, kX, kY, kW, kH, SWP_SHOWWINDOW);
    SetForegroundWindow(form_->Handle());
    Pump();
  }
  void TearDown() override {
    SetCursorPos(5, 5);
    SetSkinExceptionReporter(nullptr);
  }

  static TZeDaraForm* form_;
  TZeDaraForm& form() { return *form_; }
};

TZeDaraForm* SkinControlsTest::form_ = nullptr;

TEST_F(SkinControlsTest, FormIsBorderlessAndPaintsItsPicture) {
  LONG_PTR style = GetWindowLongPtrW(form().Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_FALSE(style & WS_THICKFRAME);
  RECT wr = WindowRectOf(form().Handle()), cr{};
  GetClientRect(form().Handle(), &cr);
  EXPECT_EQ(wr.left, kX);
  EXPECT_EQ(wr.top, kY);
  EXPECT_EQ(cr.right, kW) << "no frame: the client area is the whole window";
  EXPECT_EQ(cr.bottom, kH);

  const BackBuffer& b = Painted(form());
  ASSERT_EQ(b.Width(), kW);
  ASSERT_EQ(b.Height(), kH);
  const struct { int x, y; std::uint32_t want; } samples[] = {
      {0, 0, test::kBand}, {319, 39, test::kBand}, {5, 40, test::kWhite}, {319, 239, test::kWhite}};
  for (const auto& s : samples)
    EXPECT_EQ(Rgb(b.At(s.x, s.y)), Rgb(s.want)) << "at " << s.x << "," << s.y;

  // What reached the window itself, read back from its DC.
  HDC dc = GetDC(form().Handle());
  EXPECT_EQ(GetPixel(dc, 10, 10), RGB(27, 129, 251));
  EXPECT_EQ(GetPixel(dc, 10, 200), RGB(255, 255, 255));
  ReleaseDC(form().Handle(), dc);

  // A larger form repeats its picture from the top left.
  SetWindowPos(form().Handle(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
  const BackBuffer& big = Painted(form());
  EXPECT_EQ(Rgb(big.At(330, 10)), Rgb(test::kBand));
  EXPECT_EQ(Rgb(big.At(330, 250)), Rgb(test::kBand));
  EXPECT_EQ(Rgb(big.At(330, 290)), Rgb(test::kWhite));
}

TEST_F(SkinControlsTest, LayeredBorderFollowsMovesHidesAndShowsWithTheForm) {
  auto edges = [&] {
    std::vector<RECT> r;
    for (int e = 0; e < TMlFormLayerBorder::kEdgeCount; ++e)
      r.push_back(WindowRectOf(form().Border().EdgeWindow(TMlFormLayerBorder::Edge(e))));
    return r;
  };
  auto allVisible = [&](bool want) {
    for (int e = 0; e < TMlFormLayerBorder::kEdgeCount; ++e) {
      HWND h = form().Border().EdgeWindow(TMlFormLayerBorder::Edge(e));
      if (!h || bool(IsWindowVisible(h)) != want) return false;
    }
    return true;
  };
  for (int e = 0; e < TMlFormLayerBorder::kEdgeCount; ++e) {
    HWND h = form().Border().EdgeWindow(TMlFormLayerBorder::Edge(e));
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED);
  }
  EXPECT_TRUE(allVisible(true));
  auto check = [&](int x, int y) {
    std::vector<RECT> r = edges();
    const RECT want[] = {{x - 5, y - 5, x + kW + 5, y},
                         {x - 5, y + kH, x + kW + 5, y + kH + 5},
                         {x - 5, y, x, y + kH},
                         {x + kW, y, x + kW + 5, y + kH}};
    for (int e = 0; e < 4; ++e)
      EXPECT_TRUE(EqualRect(&r[e], &want[e]))
          << "edge " << e << " at " << r[e].left << "," << r[e].top << "," << r[e].right << ","
          << r[e].bottom;
  };
  check(kX, kY);

  // Just behind the form: the next window below it in z-order is an edge.
  HWND below = GetWindow(form().Handle(), GW_HWNDNEXT);
  bool isEdge = false;
  for (int e = 0; e < 4; ++e) isEdge |= below == form().Border().EdgeWindow(TMlFormLayerBorder::Edge(e));
  EXPECT_TRUE(isEdge);

  SetWindowPos(form().Handle(), nullptr, 300, 220, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  check(300, 220);

  ShowWindow(form().Handle(), SW_HIDE);
  Pump();
  EXPECT_TRUE(allVisible(false));
  ShowWindow(form().Handle(), SW_SHOW);
  Pump();
  EXPECT_TRUE(allVisible(true));
  check(300, 220);
  ShowWindow(form().Handle(), SW_MINIMIZE);
  Pump();
  EXPECT_TRUE(allVisible(false)) << "a minimised form shows no frame";
  ShowWindow(form().Handle(), SW_RESTORE);
  Pump();
  EXPECT_TRUE(allVisible(true));
}

// The frame a 20 × 20 button shows, told by the pixel at its centre; the
// pressed frame is drawn shifted by one pixel, so its top left pixel shows
// the form behind.
struct SeenFrame {
  std::uint32_t centre, corner;
};
SeenFrame Seen(TZeDaraButton& b) {
  const BackBuffer& buf = Painted(b);
  return SeenFrame{Rgb(buf.At(10, 10)), Rgb(buf.At(0, 0))};
}

TEST_F(SkinControlsTest, PictureButtonFollowsTheMouseThroughItsFrames) {
  int clicks = 0;
  ButtonArgs ba;
  ba.bounds = Bounds{30, 100, 20, 20};
  ba.strip = "T_Strip";
  ba.disable = 2;
  ba.onClick = [&] { ++clicks; };
  TZeDaraButton button;
  ASSERT_TRUE(button.Create(form().Handle(), ba));
  Bounds got = button.GetBounds();
  EXPECT_EQ(got.x, 30);
  EXPECT_EQ(got.y, 100);
  EXPECT_EQ(got.width, 20);
  EXPECT_TRUE(button.Visible());

  EXPECT_EQ(Seen(button).centre, Rgb(test::kFrameNormal));

  // The real cursor goes over the button, and the move reaches it.
  POINT c = ScreenCentre(button.Handle());
  SetCursorPos(c.x, c.y);
  PostMessageW(button.Handle(), WM_MOUSEMOVE, 0, ClientPoint(10, 10));
  Pump();
  SeenFrame hot = Seen(button);
  EXPECT_EQ(hot.centre, Rgb(test::kFrameHot));
  EXPECT_EQ(hot.corner, Rgb(test::kFrameHot));

  PostMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(10, 10));
  Pump();
  SeenFrame pressed = Seen(button);
  EXPECT_EQ(pressed.centre, Rgb(test::kFramePressed));
  EXPECT_EQ(pressed.corner, Rgb(test::kWhite)) << "pressed frame is shifted; the form shows at 0,0";
  EXPECT_EQ(clicks, 0);

  PostMessageW(button.Handle(), WM_LBUTTONUP, 0, ClientPoint(10, 10));
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Seen(button).centre, Rgb(test::kFrameHot));

  // Released outside: no click.
  PostMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(10, 10));
  PostMessageW(button.Handle(), WM_LBUTTONUP, 0, ClientPoint(60, 60));
  Pump();
  EXPECT_EQ(clicks, 1);

  // Down property: pressed without the mouse.
  button.SetDown(true);
  SetCursorPos(5, 5);
  Pump(300);
  EXPECT_EQ(Seen(button).centre, Rgb(test::kFramePressed));
  button.SetDown(false);

  // The cursor went away: the leave notice brings the normal frame back.
  for (int i = 0; i < 40 && Seen(button).centre != Rgb(test::kFrameNormal); ++i) Pump(50);
  EXPECT_EQ(Seen(button).centre, Rgb(test::kFrameNormal));

  // Disabled: the Disable frame whatever the mouse does, and no clicks.
  button.SetEnabled(false);
  SetCursorPos(c.x, c.y);
  SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, ClientPoint(10, 10));
  EXPECT_EQ(Seen(button).centre, Rgb(test::kFramePressed));
  EXPECT_EQ(Seen(button).corner, Rgb(test::kFramePressed)) << "not shifted";
  SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(10, 10));
  SendMessageW(button.Handle(), WM_LBUTTONUP, 0, ClientPoint(10, 10));
  EXPECT_EQ(clicks, 1);
}

// Input through the system's queue, as the user's mouse makes it: the
// window under the cursor gets the moves and the button presses.
void SendMouse(DWORD flags, int x = 0, int y = 0) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    in.mi.dx = LONG(x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
    in.mi.dy = LONG(y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  }
  SendInput(1, &in, sizeof in);
  Pump(100);
}

TEST_F(SkinControlsTest, PictureButtonTakesRealInput) {
  int clicks = 0;
  ButtonArgs ba;
  ba.bounds = Bounds{120, 120, 20, 20};
  ba.strip = "T_Strip";
  ba.onClick = [&] { ++clicks; };
  TZeDaraButton button;
  ASSERT_TRUE(button.Create(form().Handle(), ba));
  Pump();
  POINT c = ScreenCentre(button.Handle());
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, c.x, c.y);
  EXPECT_EQ(Seen(button).centre, Rgb(test::kFrameHot));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  EXPECT_EQ(Seen(button).centre, Rgb(test::kFramePressed));
  SendMouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Seen(button).centre, Rgb(test::kFrameHot));
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, c.x + 100, c.y + 60);
  for (int i = 0; i < 40 && Seen(button).centre != Rgb(test::kFrameNormal); ++i) Pump(50);
  EXPECT_EQ(Seen(button).centre, Rgb(test::kFrameNormal));
}

TEST_F(SkinControlsTest, ButtonWithoutPictureShowsItsBackground) {
  ButtonArgs ba;
  ba.bounds = Bounds{60, 10, 20, 20};
  ba.strip = "Pellamclose";  // not in the store
  TZeDaraButton button;
  ASSERT_TRUE(button.Create(form().Handle(), ba));
  EXPECT_EQ(Rgb(Painted(button).At(10, 10)), Rgb(test::kBand));
}

TEST_F(SkinControlsTest, ColorButtonFillsWithNormalThenHotColour) {
  ColorButtonArgs ca;
  ca.bounds = Bounds{100, 180, 80, 30};
  ca.caption = L"OK";
  ca.normalColor = 16416795;  // COLORREF, red in the low byte
  ca.hotColor = 14312967;
  TZeDaraColorButton button;
  ASSERT_TRUE(button.Create(form().Handle(), ca));
  auto colourAt = [&](int x, int y) {
    std::uint32_t p = Painted(button).At(x, y);
    return RGB(PixelR(p), PixelG(p), PixelB(p));
  };
  EXPECT_EQ(colourAt(2, 2), COLORREF(16416795));
  // The caption is white.
  int white = 0;
  const BackBuffer& b = Painted(button);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 80; ++x) white += Rgb(b.At(x, y)) == 0xFFFFFFu;
  EXPECT_GT(white, 3);

  POINT c = ScreenCentre(button.Handle());
  SetCursorPos(c.x, c.y);
  PostMessageW(button.Handle(), WM_MOUSEMOVE, 0, ClientPoint(40, 15));
  Pump();
  EXPECT_EQ(colourAt(2, 2), COLORREF(14312967));
}

TEST_F(SkinControlsTest, LabelIsTransparentAndDrawsItsText) {
  LabelArgs la;
  la.bounds = Bounds{10, 5, 120, 30};
  la.caption = L"正在下载 :";
  la.font.height = 16;
  la.color = RGB(255, 255, 255);
  TZeDaraLabel label;
  ASSERT_TRUE(label.Create(form().Handle(), la));
  const BackBuffer& b = Painted(label);
  // The form's band shows through beside the text; the text is white.
  EXPECT_EQ(Rgb(b.At(119, 1)), Rgb(test::kBand));
  int text = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x) text += Rgb(b.At(x, y)) != Rgb(test::kBand);
  EXPECT_GT(text, 10);
  // Below the band the label shows white form behind: no text pixels differ
  // when the caption is cleared.
  label.SetCaption(L"");
  const BackBuffer& empty = Painted(label);
  int changed = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x) changed += Rgb(empty.At(x, y)) != Rgb(test::kBand);
  EXPECT_EQ(changed, 0);
}

TEST_F(SkinControlsTest, LabelClicksOnlyAfterAPressOnItself) {
  int clicks = 0;
  LabelArgs la;
  la.bounds = Bounds{20, 150, 80, 20};
  la.caption = L"\u8FD4\u56DE";  // 返回
  la.onClick = [&] { ++clicks; };
  TZeDaraLabel label;
  ASSERT_TRUE(label.Create(form().Handle(), la));
  Pump();
  // Messages: a release alone is no click; a press and a release over the
  // label is one; a press released away from it is none.
  SendMessageW(label.Handle(), WM_LBUTTONUP, 0, ClientPoint(10, 10));
  EXPECT_EQ(clicks, 0);
  SendMessageW(label.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(10, 10));
  SendMessageW(label.Handle(), WM_LBUTTONUP, 0, ClientPoint(10, 10));
  EXPECT_EQ(clicks, 1);
  SendMessageW(label.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(10, 10));
  SendMessageW(label.Handle(), WM_LBUTTONUP, 0, ClientPoint(200, 10));
  EXPECT_EQ(clicks, 1);

  // Real input: pressed on the form beside the label, moved onto it and
  // released there is no click; pressed and released on it is one.
  POINT on = ScreenCentre(label.Handle());
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, on.x + 150, on.y + 40);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, on.x, on.y);
  SendMouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(clicks, 1);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(clicks, 2);
}

TEST_F(SkinControlsTest, PanelBlendsItsPictureAndTakesClicks) {
  int clicks = 0;
  PanelArgs pa;
  pa.bounds = Bounds{200, 100, 50, 30};
  pa.picture.BackgroundImage = "T_Half";
  pa.picture.Alpha = 0;
  pa.onClick = [&] { ++clicks; };
  TZeDaraPanel panel;
  ASSERT_TRUE(panel.Create(form().Handle(), pa));
  std::uint32_t p = Painted(panel).At(25, 15);
  EXPECT_NEAR(PixelR(p), 127, 1);  // half black over white
  EXPECT_NEAR(PixelB(p), 127, 1);
  SendMessageW(panel.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(5, 5));
  SendMessageW(panel.Handle(), WM_LBUTTONUP, 0, ClientPoint(5, 5));
  EXPECT_EQ(clicks, 1);

  // A label on the panel sees the panel's picture over the form behind it.
  LabelArgs la;
  la.bounds = Bounds{0, 0, 50, 30};
  TZeDaraLabel label;
  ASSERT_TRUE(label.Create(panel.Handle(), la));
  EXPECT_NEAR(PixelR(Painted(label).At(25, 15)), 127, 1);
}

TEST_F(SkinControlsTest, PageControlShowsOnePageAtATime) {
  PageControlArgs pa;
  pa.bounds = Bounds{10, 50, 300, 180};
  pa.pageCount = 5;
  TZeDaraPageControl pages;
  ASSERT_TRUE(pages.Create(form().Handle(), pa));
  ASSERT_EQ(pages.PageCount(), 5);
  LabelArgs la;
  la.bounds = Bounds{5, 5, 50, 20};
  TZeDaraLabel onThird;
  ASSERT_TRUE(onThird.Create(pages.Page(2).Handle(), la));
  auto visiblePages = [&] {
    std::vector<int> v;
    for (int i = 0; i < 5; ++i)
      if (pages.Page(i).Visible()) v.push_back(i);
    return v;
  };
  EXPECT_EQ(visiblePages(), std::vector<int>{0});
  EXPECT_FALSE(onThird.Visible());
  pages.SetActivePage(2);
  EXPECT_EQ(visiblePages(), std::vector<int>{2});
  EXPECT_TRUE(onThird.Visible());
  EXPECT_EQ(pages.ActivePage(), 2);
  pages.SetActivePage(7);
  EXPECT_EQ(pages.ActivePage(), 2);
  Bounds b = pages.Page(2).GetBounds();
  EXPECT_EQ(b.width, 300);
  EXPECT_EQ(b.height, 180);
  // A page is transparent: the form's picture shows through it.
  EXPECT_EQ(Rgb(Painted(pages.Page(2)).At(100, 100)), Rgb(test::kWhite));
}

TEST_F(SkinControlsTest, WheelScrollsByTheStepAndStopsAtTopAndEnd) {
  ScrollBoxArgs sa;
  sa.bounds = Bounds{10, 50, 200, 100};
  sa.wheelStep = 25;
  TZeDaraScrollBox box;
  ASSERT_TRUE(box.Create(form().Handle(), sa));
  std::vector<std::unique_ptr<TZeDaraButton>> rows;
  for (int i = 0; i < 5; ++i) {
    ButtonArgs ba;
    ba.bounds = Bounds{0, i * 45, 150, 40};
    ba.strip = "T_Strip";
    rows.push_back(std::make_unique<TZeDaraButton>());
    ASSERT_TRUE(rows.back()->Create(box.Handle(), ba));
  }
  box.UpdateRange();
  EXPECT_EQ(box.ContentHeight(), 220);
  EXPECT_TRUE(box.ScrollBar().Visible());
  Bounds bar = box.ScrollBar().GetBounds();
  EXPECT_EQ(bar.x, 190);
  EXPECT_EQ(bar.height, 100);

  // The wheel arrives at the form (the focus window) with the mouse over the box.
  POINT over = ScreenCentre(box.Handle());
  SetCursorPos(over.x, over.y);
  auto wheel = [&](HWND to, int notches) {
    SendMessageW(to, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(notches * WHEEL_DELTA))),
                 MAKELPARAM(over.x, over.y));
  };
  const struct { int notches; int position; } steps[] = {
      {-1, 25}, {-1, 50}, {-2, 100}, {-1, 120}, {-1, 120}, {2, 70}, {-1, 95}, {10, 0}, {1, 0}};
  for (const auto& s : steps) {
    wheel(form().Handle(), s.notches);
    EXPECT_EQ(box.Position(), s.position) << "after " << s.notches;
    EXPECT_EQ(rows[0]->GetBounds().y, -s.position);
    EXPECT_EQ(rows[4]->GetBounds().y, 180 - s.position);
  }
  // Half notches (a fine wheel) move half the step each, the rest carried.
  for (int expected : {12, 25}) {
    SendMessageW(form().Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(-60))), MAKELPARAM(over.x, over.y));
    EXPECT_EQ(box.Position(), expected);
  }
  box.ScrollTo(0);
  // A notch that reaches a row inside the box is passed up to the box.
  wheel(rows[1]->Handle(), -1);
  EXPECT_EQ(box.Position(), 25);
  EXPECT_EQ(box.ScrollBar().Position(), 25);

  // A real wheel notch from the system's queue, with the cursor over the box.
  box.ScrollTo(0);
  SetForegroundWindow(form().Handle());
  SetFocus(form().Handle());
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, over.x, over.y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_WHEEL;
  in.mi.mouseData = DWORD(-WHEEL_DELTA);
  SendInput(1, &in, sizeof in);
  Pump(200);
  EXPECT_EQ(box.Position(), 25);

  // The thumb: 82 of track, 100 / 220 of it long, at the top when scrolled to 0.
  box.ScrollTo(0);
  int top = 0, len = 0;
  box.ScrollBar().ThumbGeometry(top, len);
  EXPECT_EQ(top, 9);
  EXPECT_EQ(len, 82 * 100 / 220);
  // An arrow click moves one step.
  SendMessageW(box.ScrollBar().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(5, 95));
  SendMessageW(box.ScrollBar().Handle(), WM_LBUTTONUP, 0, ClientPoint(5, 95));
  EXPECT_EQ(box.Position(), 25);

  // Dragging the thumb (37 long on an 82 track) to the end and back.
  box.ScrollTo(0);
  HWND sb = box.ScrollBar().Handle();
  SendMessageW(sb, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(5, 14));
  SendMessageW(sb, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(5, 59));
  EXPECT_EQ(box.Position(), 120);
  EXPECT_EQ(rows[0]->GetBounds().y, -120);
  SendMessageW(sb, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(5, 200));
  EXPECT_EQ(box.Position(), 120);
  SendMessageW(sb, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(5, 14));
  EXPECT_EQ(box.Position(), 0);
  SendMessageW(sb, WM_LBUTTONUP, 0, ClientPoint(5, 14));
}

TEST_F(SkinControlsTest, ScrollBarHiddenWhenEverythingFits) {
  ScrollBoxArgs sa;
  sa.bounds = Bounds{10, 50, 200, 100};
  TZeDaraScrollBox box;
  ASSERT_TRUE(box.Create(form().Handle(), sa));
  LabelArgs la;
  la.bounds = Bounds{0, 0, 100, 60};
  TZeDaraLabel row;
  ASSERT_TRUE(row.Create(box.Handle(), la));
  box.UpdateRange();
  EXPECT_FALSE(box.ScrollBar().Visible());
  SendMessageW(box.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(-WHEEL_DELTA))), 0);
  EXPECT_EQ(box.Position(), 0);
  EXPECT_EQ(row.GetBounds().y, 0);
}

TEST_F(SkinControlsTest, ProgressBarFillFollowsTheValue) {
  SetWindowPos(form().Handle(), nullptr, 0, 0, 800, 240, SWP_NOMOVE | SWP_NOZORDER);
  ProgressBarArgs pa;
  pa.bounds = Bounds{10, 100, 722, 17};
  pa.bar.Bar_Background = "T_Base";
  pa.bar.Bar_Progress = "T_Fill";
  pa.bar.Value = 37;
  TZeDaraProgressBar bar;
  ASSERT_TRUE(bar.Create(form().Handle(), pa));
  EXPECT_EQ(bar.FillLength(), 267);
  const BackBuffer& b = Painted(bar);
  // Images 13 high in a bar 17 high: rows 2 .. 14.
  EXPECT_EQ(Rgb(b.At(0, 8)), Rgb(test::kBarFill));
  EXPECT_EQ(Rgb(b.At(266, 8)), Rgb(test::kBarFill));
  EXPECT_EQ(Rgb(b.At(267, 8)), Rgb(test::kBarBase));
  EXPECT_EQ(Rgb(b.At(721, 14)), Rgb(test::kBarBase));
  EXPECT_EQ(Rgb(b.At(300, 1)), Rgb(test::kWhite)) << "above the images the form shows";

  bar.SetValue(0);
  EXPECT_EQ(Rgb(Painted(bar).At(0, 8)), Rgb(test::kBarBase));
  bar.SetValue(100);
  EXPECT_EQ(Rgb(Painted(bar).At(721, 8)), Rgb(test::kBarFill));

  ProgressBarArgs narrow = pa;
  narrow.bounds = Bounds{10, 150, 29, 17};
  TZeDaraProgressBar small;
  ASSERT_TRUE(small.Create(form().Handle(), narrow));
  EXPECT_EQ(small.FillLength(), 0);
  EXPECT_EQ(Rgb(Painted(small).At(5, 8)), Rgb(test::kWhite)) << "a bar under 30 wide draws no pictures";
}

TEST(SkinTrayIcon, MenuAndClicksReachTheHandlers) {
  int clicks = 0;
  std::vector<UINT> chosen;
  TrayIconArgs ta;
  ta.hint = L"Lumora";
  ta.menu = {{101, L"显示主界面"}, {0, L""}, {102, L"退出"}};
  ta.onClick = [&] { ++clicks; };
  ta.onMenu = [&](UINT id) { chosen.push_back(id); };
  TMlTrayIcon tray;
  ASSERT_TRUE(tray.Create(ta));
  EXPECT_TRUE(tray.SetVisible(true));
  EXPECT_TRUE(tray.Visible());

  HMENU menu = tray.BuildMenu();
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  wchar_t text[64] = {};
  GetMenuStringW(menu, 102, text, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(text), L"退出");
  EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
  DestroyMenu(menu);

  SendMessageW(tray.Window(), TMlTrayIcon::kCallbackMessage, 1, WM_LBUTTONUP);
  EXPECT_EQ(clicks, 1);
  SendMessageW(tray.Window(), TMlTrayIcon::kCallbackMessage, 1, WM_MOUSEMOVE);
  EXPECT_EQ(clicks, 1);
  SendMessageW(tray.Window(), WM_COMMAND, MAKEWPARAM(102, 0), 0);
  EXPECT_EQ(chosen, std::vector<UINT>{102});
  EXPECT_TRUE(tray.SetVisible(false));
  EXPECT_FALSE(tray.Visible());
}

TEST_F(SkinControlsTest, ExceptionInAHandlerIsReportedNotPropagated) {
  std::vector<std::string> reports;
  SetSkinExceptionReporter([&](const std::string& m) { reports.push_back(m); });
  ButtonArgs ba;
  ba.bounds = Bounds{30, 100, 20, 20};
  ba.onClick = [] { throw std::runtime_error("handler failed"); };
  TZeDaraButton button;
  ASSERT_TRUE(button.Create(form().Handle(), ba));
  SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(5, 5));
  SendMessageW(button.Handle(), WM_LBUTTONUP, 0, ClientPoint(5, 5));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "handler failed");
  EXPECT_TRUE(IsWindow(button.Handle()));
}

}  // namespace
}  // namespace lum::win
