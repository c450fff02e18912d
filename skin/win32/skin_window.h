#pragma once
// The base of every skinned window. The object arrives through
// lpCreateParams and receives its messages through the virtual
// HandleMessage; no exception crosses the window procedure (it goes to the
// installed reporter and the program goes on). Painting goes through one
// back buffer per window: the window's background (its parent's picture
// under it, for a transparent control) and then the control itself are drawn
// into a 32-bit DIB section that is copied to the screen in one blit, so
// nothing flickers.
#include <windows.h>

#include <functional>
#include <string>

#include "skin/click_tracker.h"
#include "skin/win32/back_buffer.h"

namespace lum::win {

// Receives the text of an exception caught in a window procedure. The
// default shows it in a message box.
using SkinExceptionReporter = std::function<void(const std::string& message)>;
void SetSkinExceptionReporter(SkinExceptionReporter reporter);
// Hands an error caught at a callback boundary to the reporter.
void ReportSkinException(const std::string& message);

// Position and size of a control inside its parent's client area.
struct Bounds {
  int x = 0, y = 0, width = 0, height = 0;
};

class SkinWindow {
 public:
  SkinWindow() = default;
  SkinWindow(const SkinWindow&) = delete;
  SkinWindow& operator=(const SkinWindow&) = delete;
  virtual ~SkinWindow();

  HWND Handle() const { return hwnd_; }
  // The skinned window behind a handle, or nullptr for any other window.
  static SkinWindow* FromHandle(HWND hwnd);

  void SetBounds(const Bounds& b);
  // In the parent's client coordinates (screen coordinates for a top-level window).
  Bounds GetBounds() const;
  void SetVisible(bool visible);
  bool Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }
  void SetEnabled(bool enabled);
  bool Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }
  void Invalidate();
  // Called when any mouse button goes down on the window itself (not on a
  // child); the press is then not handled further.
  void SetOnMouseDown(std::function<void()> handler) { onMouseDown_ = std::move(handler); }

  // Draws the whole window into its back buffer now, as WM_PAINT does, and
  // returns the buffer (tests read the pixels back from it).
  const BackBuffer& Render();
  // The back buffer as the last paint left it.
  const BackBuffer& Buffer() const { return buffer_; }

 protected:
  struct CreateArgs {
    const wchar_t* className = L"LumoraSkinWindow";
    const wchar_t* title = L"";
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    Bounds bounds{0, 0, 100, 100};
    HWND parent = nullptr;
    HMENU menuOrId = nullptr;
  };
  bool Create(const CreateArgs& args);

  // Return true when the message was handled, with its result in result.
  // Painting, background erasing and mouse hover tracking are done by the
  // base before this is asked.
  virtual bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // Draws the control itself over its background, in client coordinates.
  virtual void Paint(const Surface& s);
  // Called when the mouse enters or leaves the window.
  virtual void HoverChanged() {}

  // A transparent control shows its parent's picture under itself; an
  // opaque one starts from its background colour.
  void SetTransparent(bool transparent) { transparent_ = transparent; }
  void SetBackgroundColor(COLORREF colour) { background_ = colour; }
  bool MouseOver() const { return mouseOver_; }

  // What a mouse message did to a click on this window (see ClickTracker).
  // A left press (also the second press of a double click) captures the
  // mouse; its release ends the capture and is a click when it happens over
  // the window after a press on it; losing the capture meanwhile drops the
  // press. None for any other message.
  using ClickStep = ClickTracker::Step;
  ClickStep TrackClick(UINT msg, LPARAM lp);
  // A left press on the window is being held.
  bool ClickHeld() const { return click_.Held(); }

  // True when Paint hides every pixel of the client area under opaque
  // pixels: then neither the background colour nor the parent's picture is
  // drawn under it first, since none of it would show.
  virtual bool PaintCoversOpaquely() const { return false; }

  // The window's background and itself, drawn into s (client coordinates).
  void DrawWhole(const Surface& s);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  void OnPaint();
  void TrackMouse();

  HWND hwnd_ = nullptr;
  BackBuffer buffer_;
  bool transparent_ = false;
  COLORREF background_ = RGB(255, 255, 255);
  bool mouseOver_ = false;
  ClickTracker click_;
  std::function<void()> onMouseDown_;
};

// A registered message: windows that scroll on the mouse wheel answer it
// with 1, so the form can pass the wheel to the one under the mouse.
UINT WantsWheelMessage();

// The module whose window classes the controls register.
HINSTANCE SkinInstance();

}  // namespace lum::win
