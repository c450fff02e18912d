#pragma once
// The transparent text label: its parent's picture shows through; the text
// has a font, a colour, a horizontal alignment and optional word wrap. A
// label may take clicks: a left press on it released over it.
#include <functional>
#include <string>

#include "skin/win32/skin_text.h"
#include "skin/win32/skin_window.h"

namespace lum::win {

struct LabelArgs {
  Bounds bounds{0, 0, 100, 16};
  std::wstring caption;
  FontSpec font;
  COLORREF color = RGB(0, 0, 0);
  TextAlign alignment = TextAlign::Left;
  bool wordWrap = false;
  bool visible = true;
  std::function<void()> onClick;  // also shows the hand cursor when set
};

class TZeDaraLabel : public SkinWindow {
 public:
  bool Create(HWND parent, const LabelArgs& args);
  void SetCaption(const std::wstring& caption);
  const std::wstring& Caption() const { return args_.caption; }
  void SetColor(COLORREF colour);

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void Paint(const Surface& s) override;

 private:
  LabelArgs args_;
  SkinFont font_;
};

}  // namespace lum::win
