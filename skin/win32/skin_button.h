#pragma once
// The picture button: its frame comes from a picture strip by state (see
// PickButtonFrame), drawn nine-slice stretched over its background, then its
// caption. A click is a left button pressed and released over it.
#include <functional>
#include <memory>
#include <string>

#include "skin/pictures.h"
#include "skin/win32/skin_text.h"
#include "skin/win32/skin_window.h"

namespace lum::win {

struct ButtonArgs {
  Bounds bounds{0, 0, 75, 25};
  std::string strip;  // id of the picture strip
  int count = 3, normal = 0, hot = 1, pressed = 2, disable = 0;
  bool multiLineMode = false;
  std::wstring caption;
  bool captionVisible = true;
  FontSpec font;
  COLORREF fontColor = RGB(255, 255, 255);
  int pressedOffset = 1;  // frame and caption move right and down by this while pressed
  bool visible = true;
  std::function<void()> onClick;
};

class TZeDaraButton : public SkinWindow {
 public:
  bool Create(HWND parent, const ButtonArgs& args);
  void SetDown(bool down);
  bool Down() const { return down_; }
  void SetCaption(const std::wstring& caption);
  const TPngPictures& Pictures() const { return pictures_; }
  // The frame the button shows in its present state.
  ButtonFrame CurrentFrame() const;
  void SetOnClick(std::function<void()> onClick) { args_.onClick = std::move(onClick); }

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void Paint(const Surface& s) override;
  void HoverChanged() override { Invalidate(); }

 private:
  ButtonArgs args_;
  TPngPictures pictures_;
  SkinFont font_;
  bool down_ = false;
};

// Disabled captions are drawn in this colour.
constexpr COLORREF kDisabledCaptionColor = 11711154;

}  // namespace lum::win
