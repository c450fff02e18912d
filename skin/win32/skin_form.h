#pragma once
// The skinned form: a top-level window without system border or title bar,
// painted with its picture (tiled from the top left), with the layered soft
// frame around it. The program's window hooks the messages it needs through
// onMessage.
#include <functional>
#include <string>

#include "skin/win32/layer_border.h"
#include "skin/win32/skin_window.h"

namespace lum::win {

struct FormArgs {
  std::wstring className = L"LumoraSkinForm";  // other programs find the window by it
  std::wstring title;
  Bounds bounds{0, 0, 400, 300};  // screen coordinates
  std::string picture;           // id of the form picture; empty: plain colour
  COLORREF color = RGB(255, 255, 255);
  bool layerBorder = true;
  LayerBorderArgs border;
  HICON icon = nullptr;
  // Asked first for every message; return true when handled.
  std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)> onMessage;
};

class TZeDaraForm : public SkinWindow {
 public:
  bool Create(const FormArgs& args);
  const TMlFormLayerBorder& Border() const { return border_; }

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void Paint(const Surface& s) override;
  // The tiled picture covers the form; when it has no see-through pixel the
  // background colour under it is not drawn.
  bool PaintCoversOpaquely() const override { return pictureOpaque_; }

 private:
  FormArgs args_;
  const TZeDaraImage* picture_ = nullptr;  // looked up once, when the form is made
  bool pictureOpaque_ = false;
  TMlFormLayerBorder border_;
  bool hasBorder_ = false;
};

// Starts moving a borderless window with the mouse, as a press on a title
// bar would: the capture is released and the window is sent WM_SYSCOMMAND
// with SC_MOVE and the caption hit code (0xF012). The move follows the mouse
// until the button is released.
void DragMove(HWND window);

// Sends a wheel message to the innermost window under its screen position
// that wants wheel input (a scroll box), starting from the window under the
// point and walking up to root; false when none took it.
bool RouteMouseWheel(HWND root, WPARAM wp, LPARAM lp);

}  // namespace lum::win
