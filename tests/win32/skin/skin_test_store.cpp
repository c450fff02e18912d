#include "tests/win32/skin/skin_test_store.h"

#include <memory>
#include <string>

#include "skin/image_store.h"

namespace lum::test {

namespace {

std::shared_ptr<TZeDaraImage> Solid(int w, int h, std::uint32_t colour) {
  return std::make_shared<TZeDaraImage>(w, h, colour);
}

TZeDaraImageList MakeList() {
  TZeDaraImageList list;
  auto form = Solid(320, 240, kWhite);
  for (int y = 0; y < kBandHeight; ++y)
    for (int x = 0; x < 320; ++x) form->At(x, y) = kBand;
  list.Add("T_Form", form);
  auto strip = Solid(60, 20, 0);
  const std::uint32_t frames[3] = {kFrameNormal, kFrameHot, kFramePressed};
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) strip->At(x, y) = frames[x / 20];
  list.Add("T_Strip", strip);
  list.Add("T_Half", Solid(50, 30, MakePixel(128, 0, 0, 0)));
  list.Add("T_Base", Solid(102, 13, kBarBase));
  list.Add("T_Fill", Solid(102, 13, kBarFill));
  list.Add("ZeDaraSlider_Aio_light_bkg", Solid(60, 134, MakePixel(96, 0, 0, 0)));
  list.Add("ZeDaraScrollbar_bkg", Solid(10, 62, MakePixel(255, 230, 230, 230)));
  const char* states[3] = {"normal", "highlight", "down"};
  for (int i = 0; i < 3; ++i) {
    std::uint8_t shade = std::uint8_t(100 + 40 * i);
    list.Add(std::string("ZeDaraScrollbar_bar_") + states[i], Solid(10, 42, MakePixel(255, shade, shade, shade)));
    list.Add(std::string("ZeDaraScrollbar_arrowup_") + states[i], Solid(10, 9, MakePixel(255, 0, shade, 0)));
    list.Add(std::string("ZeDaraScrollbar_arrowdown_") + states[i], Solid(10, 9, MakePixel(255, shade, 0, 0)));
  }
  return list;
}

}  // namespace

void InstallTestStore() {
  ReleaseResManager();
  SetResManagerSource([] { return std::make_unique<TZeDaraResManager>(MakeList(), nullptr); });
}

}  // namespace lum::test
