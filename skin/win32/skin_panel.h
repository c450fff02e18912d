#pragma once
// The picture panel as a window: fill, background image and border lines
// drawn over its parent's picture; it may hold other controls and take clicks.
#include <functional>

#include "skin/panel.h"
#include "skin/win32/skin_window.h"

namespace lum::win {

struct PanelArgs {
  Bounds bounds{0, 0, 100, 100};
  lum::TZeDaraPanel picture;  // its Width and Height follow the window
  bool visible = true;
  std::function<void()> onClick;
};

class TZeDaraPanel : public SkinWindow {
 public:
  bool Create(HWND parent, const PanelArgs& args);
  // Names the background picture and looks it up now (a file of that name
  // first, then the program's store); painting uses what was found.
  void SetImage(const std::string& id);
  void SetOnClick(std::function<void()> onClick) { args_.onClick = std::move(onClick); }

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void Paint(const Surface& s) override;
  bool PaintCoversOpaquely() const override;

 private:
  lum::TZeDaraPanel Sized() const;
  PanelArgs args_;
  const TZeDaraImage* image_ = nullptr;  // what args_.picture.BackgroundImage named
  bool imageOpaque_ = false;
};

}  // namespace lum::win
