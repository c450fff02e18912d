#pragma once
// The soft frame around a skinned form: four borderless windows with
// per-pixel alpha along the form's four edges, cut from one image stretched
// around the form. They stay just behind the form and move, hide and show
// with it.
#include <windows.h>

#include <string>

#include "skin/image.h"

namespace lum::win {

struct LayerBorderArgs {
  std::string image = "ZeDaraSlider_Aio_light_bkg";
  // How far the frame reaches past the form: the frame rectangle is the
  // form's with left - left, top - top, right - right, bottom - bottom.
  int left = 5, top = 5, right = -5, bottom = -5;
};

class TMlFormLayerBorder {
 public:
  enum Edge { kTop, kBottom, kLeft, kRight, kEdgeCount };

  TMlFormLayerBorder() = default;
  TMlFormLayerBorder(const TMlFormLayerBorder&) = delete;
  TMlFormLayerBorder& operator=(const TMlFormLayerBorder&) = delete;
  ~TMlFormLayerBorder();

  // Makes the four windows for form (hidden until Follow shows them).
  bool Create(HWND form, const LayerBorderArgs& args);
  // Puts the edges around the form's current rectangle, just behind it,
  // visible exactly when the form is visible and not minimised.
  void Follow();
  HWND EdgeWindow(Edge e) const { return edges_[e]; }

 private:
  void Repaint(const RECT& frame);
  HWND form_ = nullptr;
  HWND edges_[kEdgeCount] = {};
  LayerBorderArgs args_;
  const TZeDaraImage* image_ = nullptr;  // args_.image, looked up when the border is made
  SIZE painted_{-1, -1};  // frame size the edges were last drawn for
};

}  // namespace lum::win
