#pragma once
// Text on a skinned surface: a font description with defaults, and drawing a
// caption through GDI into a back buffer (GDI leaves the alpha bytes of the
// pixels it touches at 0; they are made opaque again so later blending sees
// an opaque surface).
#include <windows.h>

#include <string>

#include "skin/win32/back_buffer.h"

namespace lum::win {

struct FontSpec {
  std::wstring face = L"Tahoma";
  int height = 12;  // character height in pixels
  bool bold = false;
};

// A GDI font owned by the control that draws with it.
class SkinFont {
 public:
  SkinFont() = default;
  explicit SkinFont(const FontSpec& setup) { Set(setup); }
  SkinFont(const SkinFont&) = delete;
  SkinFont& operator=(const SkinFont&) = delete;
  ~SkinFont();
  void Set(const FontSpec& setup);
  HFONT Handle() const { return font_; }

 private:
  HFONT font_ = nullptr;
};

enum class TextAlign { Left, Center, Right };



// Draws text in r (surface coordinates) with DrawTextW and the given format
// flags (DT_*), transparent background.
void DrawSkinText(const Surface& s, const RECT& r, const std::wstring& text, HFONT font,
                  COLORREF colour, UINT format);

// DT_* flags for an alignment, single line (vertically centred) or wrapped.
UINT TextFormat(TextAlign align, bool wordWrap);

}  // namespace lum::win
