#include "skin/win32/skin_text.h"

#include <algorithm>

namespace lum::win {

SkinFont::~SkinFont() {
  if (font_) DeleteObject(font_);
}

void SkinFont::Set(const FontSpec& setup) {
  if (font_) DeleteObject(font_);
  font_ = CreateFontW(-setup.height, 0, 0, 0, setup.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                      DEFAULT_PITCH, setup.face.c_str());
}

UINT TextFormat(TextAlign align, bool wordWrap) {
  UINT f = DT_NOPREFIX;
  f |= align == TextAlign::Center ? DT_CENTER : align == TextAlign::Right ? DT_RIGHT : DT_LEFT;
  f |= wordWrap ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
  return f;
}

void DrawSkinText(const Surface& s, const RECT& r, const std::wstring& text, HFONT font,
                  COLORREF colour, UINT format) {
  if (text.empty() || !s.dc) return;
  HGDIOBJ old = font ? SelectObject(s.dc, font) : nullptr;
  SetBkMode(s.dc, TRANSPARENT);
  SetTextColor(s.dc, colour);
  RECT box = r;
  DrawTextW(s.dc, text.c_str(), int(text.size()), &box, format);
  if (old) SelectObject(s.dc, old);
  GdiFlush();
  SetOpaque(s.view, SkinRect{int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)});
}

}  // namespace lum::win
