// The store container and the PNG reader: round trips, every PNG filter and
// colour type the reader takes, and damaged input giving nothing.
#include <gtest/gtest.h>

#include "png_fixture.h"
#include "skin/image_store.h"
#include "skin/png_reader.h"
#include "skin/store_format.h"
#include "skin_fixtures.h"

namespace lum {
namespace {

std::vector<SkinStoreEntry> TwoEntries() {
  auto a = test::CoordImage(5, 3, 1);
  a->At(4, 2) = 0x12345678;
  auto b = test::CoordImage(2, 7, 2, DrawMode::dmOpaque);
  return {{"Bg_Mf", a}, {"Pg1", b}};
}

TEST(SkinStoreFormat, RoundTripKeepsIdsSizesModesAndPixels) {
  auto bytes = EncodeSkinStore(TwoEntries());
  ASSERT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "LSKN");
  auto back = DecodeSkinStore(bytes.data(), bytes.size());
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), 2u);
  auto want = TwoEntries();
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ((*back)[i].ResID, want[i].ResID);
    EXPECT_EQ((*back)[i].image->width, want[i].image->width);
    EXPECT_EQ((*back)[i].image->height, want[i].image->height);
    EXPECT_EQ((*back)[i].image->drawMode, want[i].image->drawMode);
    EXPECT_EQ((*back)[i].image->pixels, want[i].image->pixels);
  }
  // Pixels travel as blue, green, red, alpha.
  TZeDaraImageList list = LoadImageList(bytes.data(), bytes.size());
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Item(0).image->At(4, 2), 0x12345678u);
}

TEST(SkinStoreFormat, DamagedStoresGiveNothing) {
  const auto good = EncodeSkinStore(TwoEntries());
  auto patched = [&](std::size_t at, std::uint8_t v) {
    auto b = good;
    b[at] = v;
    return b;
  };
  // Offsets: magic 0, version 4, count 8, first entry at 12: id length, "Bg_Mf",
  // mode 18, width 19, height 23, packed length 27, data 31.
  std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases = {
      {"magic", patched(0, 'X')},
      {"version", patched(4, 2)},
      {"count too large", patched(8, 3)},
      {"mode", patched(18, 7)},
      {"width", patched(19, 6)},
      {"huge height", patched(26, 0x7F)},
      {"negative width", patched(22, 0x80)},
      {"packed length", patched(27, 0xFF)},
      {"pixel stream", patched(33, 0x00)},
      {"truncated", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
      {"trailing byte", [&] { auto b = good; b.push_back(0); return b; }()},
      {"empty", {}},
  };
  for (auto& [name, bytes] : cases) {
    EXPECT_FALSE(DecodeSkinStore(bytes.data(), bytes.size())) << name;
    EXPECT_EQ(LoadImageList(bytes.data(), bytes.size()).Count(), 0) << name;
  }
}

TEST(SkinPng, EveryFilterTypeDecodes) {
  // 3 × 5 RGBA, row y filtered with type y; values chosen so the filters wrap around.
  std::vector<std::uint8_t> rows;
  for (int y = 0; y < 5; ++y) {
    rows.push_back(std::uint8_t(y));
    for (int x = 0; x < 3; ++x)
      for (int c = 0; c < 4; ++c) rows.push_back(std::uint8_t(37 * x + 91 * y + 53 * c + (x * y * c) % 7));
  }
  auto png = test::MakePng(3, 5, 6, rows);
  auto image = DecodePng(png.data(), png.size());
  ASSERT_TRUE(image);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 3; ++x) {
      const std::uint8_t* p = &rows[y * 13 + 1 + x * 4];
      EXPECT_EQ(image->At(x, y), MakePixel(p[3], p[0], p[1], p[2])) << x << "," << y;
    }
}

TEST(SkinPng, ColourTypes) {
  {  // grey
    auto png = test::MakePng(2, 1, 0, {0, 10, 200});
    auto im = DecodePng(png.data(), png.size());
    ASSERT_TRUE(im);
    EXPECT_EQ(im->At(1, 0), MakePixel(255, 200, 200, 200));
  }
  {  // grey with alpha
    auto png = test::MakePng(1, 1, 4, {0, 90, 30});
    auto im = DecodePng(png.data(), png.size());
    ASSERT_TRUE(im);
    EXPECT_EQ(im->At(0, 0), MakePixel(30, 90, 90, 90));
  }
  {  // RGB
    auto png = test::MakePng(1, 2, 2, {0, 27, 129, 251, 2, 1, 2, 3});
    auto im = DecodePng(png.data(), png.size());
    ASSERT_TRUE(im);
    EXPECT_EQ(im->At(0, 0), MakePixel(255, 27, 129, 251));
    EXPECT_EQ(im->At(0, 1), MakePixel(255, 1, 2, 3));
  }
  {  // palette with transparency for the first entry only
    auto png = test::MakePng(3, 1, 3, {0, 0, 1, 1}, {255, 0, 0, 0, 0, 255}, {64});
    auto im = DecodePng(png.data(), png.size());
    ASSERT_TRUE(im);
    EXPECT_EQ(im->At(0, 0), MakePixel(64, 255, 0, 0));
    EXPECT_EQ(im->At(2, 0), MakePixel(255, 0, 0, 255));
  }
}

TEST(SkinPng, DamagedOrUnsupportedFilesGiveNothing) {
  auto good = test::MakePng(2, 2, 6, std::vector<std::uint8_t>(2 * 9, 0));
  ASSERT_TRUE(DecodePng(good.data(), good.size()));
  std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases;
  auto patch = [&](const char* name, std::size_t at, std::uint8_t v) {
    auto b = good;
    b[at] = v;
    cases.push_back({name, b});
  };
  // IHDR body starts at 16: width 16, height 20, depth 24, colour 25, interlace 28.
  patch("signature", 1, 'X');
  patch("16-bit", 24, 16);
  patch("colour type", 25, 5);
  patch("interlaced", 28, 1);
  patch("huge width", 16, 0x7F);
  patch("chunk length past end", 11, 0xFF);
  cases.push_back({"truncated", std::vector<std::uint8_t>(good.begin(), good.end() - 20)});
  cases.push_back({"filter type 9", test::MakePng(1, 1, 0, {9, 5})});
  cases.push_back({"palette index past the palette", test::MakePng(1, 1, 3, {0, 2}, {1, 2, 3, 4, 5, 6})});
  cases.push_back({"palette image without palette", test::MakePng(1, 1, 3, {0, 0})});
  for (auto& [name, bytes] : cases) EXPECT_FALSE(DecodePng(bytes.data(), bytes.size())) << name;
}

}  // namespace
}  // namespace lum
