// Pixel-by-pixel checks of the skin's drawing: strip cutting, the button
// state rule, nine-slice stretching, the progress bar, blending, panels, and
// drawing through a clip (the same pixels as without it, at the cost of the
// clipped area only).
#include <gtest/gtest.h>

#include "skin/canvas.h"
#include "skin/image_store.h"
#include "skin/panel.h"
#include "skin/pictures.h"
#include "skin/progress_bar.h"
#include "skin/stretch.h"
#include "skin_fixtures.h"

namespace lum {
namespace {

using test::CoordImage;
using test::SrcX;
using test::SrcY;

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

TZeDaraResManager StoreWith(std::initializer_list<std::pair<const char*, std::shared_ptr<TZeDaraImage>>> items) {
  TZeDaraImageList list;
  for (auto& [id, image] : items) list.Add(id, image);
  return TZeDaraResManager(std::move(list), nullptr);
}

// ---- strips --------------------------------------------------------------

TEST(SkinStrip, LeftToRightFramesAreCutOneToOne) {
  auto store = StoreWith({{"Yk_Close", CoordImage(72, 20, 7)}});
  TPngPictures strip;
  strip.SetImage("Yk_Close", store);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    auto frame = strip.Frame(i);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->width, 24);
    EXPECT_EQ(frame->height, 20);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 24; ++x) ASSERT_EQ(frame->At(x, y), MakePixel(255, 24 * i + x, y, 7));
  }
  // Frame 1 is columns 24 to 47.
  auto hot = strip.GetHotImage();
  EXPECT_EQ(SrcX(hot->At(0, 0)), 24);
  EXPECT_EQ(SrcX(hot->At(23, 19)), 47);
  // Outside 0 .. Count - 1 there is no frame.
  strip.Disable = 3;
  EXPECT_EQ(strip.GetDisableImage(), nullptr);
  EXPECT_EQ(strip.Frame(-1), nullptr);
}

TEST(SkinStrip, FrameSizesAndDroppedRemainder) {
  struct Case {
    int w, h, count;
    bool multiLine;
    int frameW, frameH;
  } cases[] = {
      {300, 30, 3, false, 100, 30},  // Btn_installsys
      {540, 48, 3, false, 180, 48},  // Btn_setup
      {68, 17, 4, false, 17, 17},    // check box
      {74, 20, 3, false, 24, 20},    // two remainder columns dropped at the right
      {10, 63, 3, true, 10, 21},     // stacked frames
      {10, 65, 3, true, 10, 21},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "/" << c.count);
    auto store = StoreWith({{"S", CoordImage(c.w, c.h, 0, DrawMode::dmOpaque)}});
    TPngPictures strip;
    strip.SetImage("S", store);
    strip.Count = c.count;
    strip.MultiLineMode = c.multiLine;
    auto last = strip.Frame(c.count - 1);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->width, c.frameW);
    EXPECT_EQ(last->height, c.frameH);
    EXPECT_EQ(last->drawMode, DrawMode::dmOpaque);
    // The last frame ends where count whole frames end, not at the image edge
    // (coordinates are kept in 8-bit channels, hence modulo 256).
    int endX = c.multiLine ? c.frameW - 1 : c.count * c.frameW - 1;
    int endY = c.multiLine ? c.count * c.frameH - 1 : c.frameH - 1;
    EXPECT_EQ(SrcX(last->At(c.frameW - 1, c.frameH - 1)), endX % 256);
    EXPECT_EQ(SrcY(last->At(c.frameW - 1, c.frameH - 1)), endY % 256);
    EXPECT_EQ(strip.Frame(c.count), nullptr);
  }
}

TEST(SkinButton, FrameFollowsTheStateRule) {
  TPngPictures setup;  // Btn_setup: pressed and disabled share frame 2
  setup.Disable = 2;
  struct Case {
    ButtonState state;
    int frame;
    bool shifted;
  } cases[] = {
      {{true, false, false, false}, 0, false},
      {{true, true, false, false}, 1, false},
      {{true, true, true, false}, 2, true},
      {{true, false, true, false}, 2, true},   // held, mouse moved off
      {{true, false, false, true}, 2, true},   // Down property
      {{false, false, false, false}, 2, false},
      {{false, true, false, false}, 2, false},  // disabled ignores the mouse
  };
  for (const Case& c : cases) {
    ButtonFrame f = PickButtonFrame(setup, c.state);
    EXPECT_EQ(f.frame, c.frame);
    EXPECT_EQ(f.shifted, c.shifted);
  }
}

// ---- nine-slice -----------------------------------------------------------

TEST(SkinNineSlice, ImageOfTheTargetSizeIsDrawnOneToOne) {
  for (auto [w, h] : {std::pair{920, 600}, {24, 20}, {7, 5}, {1, 1}, {100, 2}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    auto image = CoordImage(w, h, 9);
    Canvas32 canvas(w + 4, h + 4, kWhite);
    DrawNineSlice(canvas.View(), *image, {2, 2, w, h});
    for (int y = 0; y < h + 4; ++y)
      for (int x = 0; x < w + 4; ++x) {
        bool inside = x >= 2 && y >= 2 && x < w + 2 && y < h + 2;
        ASSERT_EQ(canvas.At(x, y), inside ? image->At(x - 2, y - 2) : kWhite) << x << "," << y;
      }
  }
}

TEST(SkinNineSlice, CornersKeepTheirSizeEdgesAndCentreStretch) {
  // 9 × 6: cells of 3 × 2. Drawn into 20 × 11.
  auto image = CoordImage(9, 6);
  Canvas32 canvas(20, 11, kWhite);
  DrawNineSlice(canvas.View(), *image, {0, 0, 20, 11});
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 20; ++x) {
      int sx = SrcX(canvas.At(x, y)), sy = SrcY(canvas.At(x, y));
      if (x < 3) EXPECT_EQ(sx, x);
      else if (x >= 17) EXPECT_EQ(sx, x - 11);
      else EXPECT_TRUE(sx >= 3 && sx < 6) << x;
      if (y < 2) EXPECT_EQ(sy, y);
      else if (y >= 9) EXPECT_EQ(sy, y - 5);
      else EXPECT_TRUE(sy >= 2 && sy < 4) << y;
    }
  // The stretched centre uses every centre column, in order.
  EXPECT_EQ(SrcX(canvas.At(3, 5)), 3);
  EXPECT_EQ(SrcX(canvas.At(16, 5)), 5);
}

TEST(SkinNineSlice, EqualWidthIsNotSlicedAcross) {
  auto image = CoordImage(10, 9);
  Canvas32 canvas(10, 30, kWhite);
  DrawNineSlice(canvas.View(), *image, {0, 0, 10, 30});
  for (int x = 0; x < 10; ++x) EXPECT_EQ(SrcX(canvas.At(x, 15)), x);
  EXPECT_EQ(SrcY(canvas.At(0, 0)), 0);
  EXPECT_EQ(SrcY(canvas.At(0, 29)), 8);
  EXPECT_EQ(SrcY(canvas.At(0, 15)) / 3, 1);  // from the centre cell
}

TEST(SkinNineSlice, AxisMaps) {
  struct Case {
    int src, dst;
    std::vector<int> map;
  } cases[] = {
      {6, 6, {0, 1, 2, 3, 4, 5}},
      {6, 8, {0, 1, 2, 2, 3, 3, 4, 5}},
      {7, 9, {0, 1, 2, 2, 3, 3, 4, 5, 6}},  // the far cell keeps the remainder
      {6, 3, {0, 4, 5}},                    // smaller than the corners
      {2, 4, {0, 0, 1, 1}},                 // too small to slice
      {6, 0, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(NineSliceAxis(c.src, c.dst), c.map) << c.src << "->" << c.dst;
}

// ---- progress bar -------------------------------------------------------------

struct BarFixture {
  TZeDaraResManager store = StoreWith({{"Jxpro1", CoordImage(102, 13, 1)}, {"Jxpro2", CoordImage(102, 13, 2)}});
  TZeDaraProgressBar bar;
  BarFixture(int width, int value) {
    bar.Bar_Background = "Jxpro1";
    bar.Bar_Progress = "Jxpro2";
    bar.Width = width;
    bar.Height = 17;
    bar.Value = value;
  }
};

TEST(SkinProgressBar, FillLengthAndPlacement) {
  struct Case {
    int width, min, max, value, length;
  } cases[] = {
      {722, 0, 100, 37, 267}, {722, 0, 100, 0, 0},   {722, 0, 100, 100, 722}, {722, 0, 100, 1, 7},
      {150, 0, 100, 50, 75},  {722, 50, 50, 50, 0},  {722, 50, 50, 51, 722},  {722, 0, 100, -5, 0},
      {722, 0, 100, 150, 722}, {30, 0, 100, 99, 29}, {722, 20, 120, 57, 267},
  };
  for (const Case& c : cases) {
    TZeDaraProgressBar bar;
    bar.Width = c.width;
    bar.MinValue = c.min;
    bar.MaxValue = c.max;
    bar.Value = c.value;
    ProgressGeometry g = ComputeProgressGeometry(bar, 13, 13);
    EXPECT_TRUE(g.drawsPictures);
    EXPECT_EQ(g.fillLength, c.length) << c.width << " " << c.min << ".." << c.max << " @" << c.value;
    EXPECT_EQ(g.backgroundTop, 2);
  }
  TZeDaraProgressBar odd;
  odd.Height = 10;
  EXPECT_EQ(ComputeProgressGeometry(odd, 13, 13).backgroundTop, -1);  // (10 − 13) div 2, toward zero
}

TEST(SkinProgressBar, At37PercentThe722WideBarFills267Columns) {
  BarFixture f(722, 37);
  Canvas32 canvas(722, 17, kWhite);
  DrawProgressBar(canvas.View(), f.bar, f.store);
  for (int x = 0; x < 722; ++x) {
    SCOPED_TRACE(x);
    EXPECT_EQ(canvas.At(x, 1), kWhite);   // above the centred 13 rows
    EXPECT_EQ(canvas.At(x, 15), kWhite);  // below them
    std::uint32_t p = canvas.At(x, 2);
    EXPECT_EQ(PixelB(p), x < 267 ? 2 : 1);
    EXPECT_EQ(SrcY(p), 0);
    EXPECT_EQ(SrcY(canvas.At(x, 14)), 12);
  }
  // The fill keeps its six end columns; the background is nine-sliced (34-column corners).
  for (int x = 0; x < 6; ++x) {
    EXPECT_EQ(SrcX(canvas.At(x, 8)), x);
    EXPECT_EQ(SrcX(canvas.At(261 + x, 8)), 96 + x);
  }
  EXPECT_EQ(SrcX(canvas.At(700, 8)), 102 - 22);
  EXPECT_EQ(SrcX(canvas.At(300, 8)) / 34, 1);
}

TEST(SkinProgressBar, NarrowBarDrawsNothingAndZeroDrawsNoFill) {
  {
    BarFixture f(29, 50);
    Canvas32 canvas(29, 17, kWhite);
    DrawProgressBar(canvas.View(), f.bar, f.store);
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 29; ++x) ASSERT_EQ(canvas.At(x, y), kWhite);
  }
  {
    BarFixture f(722, 0);
    Canvas32 canvas(722, 17, kWhite);
    DrawProgressBar(canvas.View(), f.bar, f.store);
    for (int x = 0; x < 722; ++x) ASSERT_EQ(PixelB(canvas.At(x, 8)), 1);
  }
}

TEST(SkinProgressBar, FillShorterThanItsCaps) {
  // Lengths 1 to 12 take the left part of the left cap and the right part of the right cap.
  EXPECT_EQ(CapsAxis(102, 1, 6), (std::vector<int>{0}));
  EXPECT_EQ(CapsAxis(102, 5, 6), (std::vector<int>{0, 1, 2, 100, 101}));
  EXPECT_EQ(CapsAxis(102, 12, 6), (std::vector<int>{0, 1, 2, 3, 4, 5, 96, 97, 98, 99, 100, 101}));
  std::vector<int> grown = CapsAxis(102, 20, 6);
  ASSERT_EQ(grown.size(), 20u);
  EXPECT_EQ(grown[5], 5);
  EXPECT_EQ(grown[6], 6 + 90 / 16);  // centre sampling of the stretched middle
  EXPECT_EQ(grown[14], 96);
  EXPECT_EQ(CapsAxis(102, 102, 6).back(), 101);
  for (int i = 0; i < 102; ++i) EXPECT_EQ(CapsAxis(102, 102, 6)[i], i);
}

TEST(SkinProgressBar, MissingImagesAreSkipped) {
  TZeDaraResManager store = StoreWith({{"Jxpro2", CoordImage(102, 13, 2)}});
  TZeDaraProgressBar bar;  // background "ZeDaraBar_base" is not in this store
  bar.Bar_Progress = "Jxpro2";
  Canvas32 canvas(150, 17, kWhite);
  DrawProgressBar(canvas.View(), bar, store);
  EXPECT_EQ(PixelB(canvas.At(74, 8)), 2);
  EXPECT_EQ(canvas.At(75, 8), kWhite);
}

// ---- blending --------------------------------------------------------------

TEST(SkinBlend, SourceOverDestination) {
  struct Case {
    std::uint32_t dst, src, out;
  } cases[] = {
      {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF},  // opaque source replaces
      {0xFF123456, 0x00FFFFFF, 0xFF123456},  // transparent source leaves
      {0xFF000000, 0x80FFFFFF, 0xFF808080},  // half white over black
      {0xFFFFFFFF, 0x801B81FB, 0xFF8DC0FD},  // half blue band colour over white
      {0xFF646464, 0x40C80000, 0xFF7D4B4B},
      {0x00000000, 0x80FF0000, 0x80FF0000},  // over nothing: the source as it is
      {0x80000000, 0x80FFFFFF, 0xC0AAAAAA},  // over half-transparent black
  };
  for (const Case& c : cases)
    EXPECT_EQ(BlendOver(c.dst, c.src), c.out) << std::hex << c.dst << " " << c.src;
}

TEST(SkinBlend, DrawModesOnACanvas) {
  TZeDaraImage blend(2, 1, 0x80FFFFFF), opaque(2, 1, 0x80FFFFFF, DrawMode::dmOpaque);
  blend.At(1, 0) = 0x00FF0000;
  Canvas32 canvas(4, 2, 0xFF000000);
  DrawImage(canvas.View(), blend, 0, 0);
  DrawImage(canvas.View(), opaque, 2, 1);
  EXPECT_EQ(canvas.At(0, 0), 0xFF808080u);
  EXPECT_EQ(canvas.At(1, 0), 0xFF000000u);  // fully transparent pixel: nothing
  EXPECT_EQ(canvas.At(2, 1), 0x80FFFFFFu);  // copied unchanged
  EXPECT_EQ(canvas.At(3, 1), 0x80FFFFFFu);
  EXPECT_EQ(canvas.At(2, 0), 0xFF000000u);
}

TEST(SkinBlend, DrawingIsClippedToTheViewAndTheCanvas) {
  auto image = CoordImage(5, 5, 3);
  Canvas32 canvas(8, 8, kWhite);
  CanvasView child = canvas.View().Sub({2, 2, 3, 3});
  DrawImage(child, *image, -1, -1);  // partly left of and above the child
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      bool inChild = x >= 2 && x < 5 && y >= 2 && y < 5;
      ASSERT_EQ(canvas.At(x, y), inChild ? image->At(x - 1, y - 1) : kWhite) << x << "," << y;
    }
  // A view reaching past the canvas edge writes nothing outside it.
  DrawImage(canvas.View().Sub({6, 6, 10, 10}), *image, 0, 0);
  EXPECT_EQ(canvas.At(7, 7), image->At(1, 1));
}

// ---- panels ----------------------------------------------------------------------

TEST(SkinPanel, FillImageAndBorderInThatOrder) {
  TZeDaraImage half(2, 2, 0x80000000);  // half-transparent black
  TZeDaraImageList list;
  list.Add("P", std::make_shared<TZeDaraImage>(half));
  TZeDaraResManager store(std::move(list), nullptr);
  TZeDaraPanel panel;
  panel.Width = 6;
  panel.Height = 5;
  panel.Color = 0x0000FF;  // red
  panel.Alpha = 255;
  panel.BackgroundImage = "p";
  panel.BackgroundOffsetX = 2;
  panel.BackgroundOffsetY = 1;
  panel.BorderSides = kBorderLeft | kBorderBottom;
  panel.BorderColor = 0xFF0000;  // blue
  Canvas32 canvas(8, 7, kWhite);
  DrawPanel(canvas.View().Sub({1, 1, 6, 5}), panel, store);
  EXPECT_EQ(canvas.At(0, 0), kWhite);
  EXPECT_EQ(canvas.At(7, 6), kWhite);
  EXPECT_EQ(canvas.At(5, 1), 0xFFFF0000u);  // fill
  EXPECT_EQ(canvas.At(3, 2), 0xFF7F0000u);  // image over the fill
  EXPECT_EQ(canvas.At(4, 3), 0xFF7F0000u);
  EXPECT_EQ(canvas.At(5, 4), 0xFFFF0000u);
  EXPECT_EQ(canvas.At(1, 3), 0xFF0000FFu);  // left border
  EXPECT_EQ(canvas.At(4, 5), 0xFF0000FFu);  // bottom border
  EXPECT_EQ(canvas.At(6, 5), 0xFF0000FFu);
}

TEST(SkinPanel, AlphaZeroDrawsOnlyTheImageAtNaturalSize) {
  auto image = CoordImage(100, 60, 5);
  TZeDaraImageList list;
  list.Add("7-64", image);
  TZeDaraResManager store(std::move(list), nullptr);
  TZeDaraPanel panel;
  panel.Width = 100;
  panel.Height = 60;
  panel.Alpha = 0;
  panel.BackgroundImage = "7-64";
  Canvas32 canvas(120, 70, kWhite);
  DrawPanel(canvas.View().Sub({15, 5, 100, 60}), panel, store);
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 120; ++x) {
      bool inside = x >= 15 && x < 115 && y >= 5 && y < 65;
      ASSERT_EQ(canvas.At(x, y), inside ? image->At(x - 15, y - 5) : kWhite);
    }
  // No image at all: a panel with Alpha 0 leaves the canvas alone.
  panel.BackgroundImage = "Pellamclose";
  Canvas32 blank(100, 60, kWhite);
  DrawPanel(blank.View(), panel, store);
  EXPECT_EQ(blank.At(50, 30), kWhite);
}

TEST(SkinPanel, TiledImageCoversThePanel) {
  TZeDaraImageList list;
  list.Add("T", CoordImage(3, 2));
  TZeDaraResManager store(std::move(list), nullptr);
  TZeDaraPanel panel;
  panel.Width = 7;
  panel.Height = 5;
  panel.Alpha = 0;
  panel.BackgroundImage = "T";
  panel.BackgroundFillType = PanelFillType::Tile;
  panel.BackgroundOffsetX = 1;
  Canvas32 canvas(7, 5, kWhite);
  DrawPanel(canvas.View(), panel, store);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      EXPECT_EQ(SrcX(canvas.At(x, y)), (x + 2) % 3);
      EXPECT_EQ(SrcY(canvas.At(x, y)), y % 2);
    }
}

// ---- clipping -------------------------------------------------------------------

// A picture that uses every drawing operation, some of it reaching past the
// canvas: a half-transparent fill, a blended image partly off the canvas, an
// opaque image, nine-slice stretching of a whole image and of a strip's
// frame, a tiled panel, a progress bar, text-style alpha repair. Counts the
// operations that could visit pixels.
struct Scene {
  std::shared_ptr<TZeDaraImage> big = CoordImage(70, 50, 1);        // larger than the canvas
  std::shared_ptr<TZeDaraImage> opaque = CoordImage(9, 7, 2, DrawMode::dmOpaque);
  std::shared_ptr<TZeDaraImage> strip = CoordImage(30, 8, 3);
  std::shared_ptr<TZeDaraImage> tile = CoordImage(5, 3, 4);
  mutable TZeDaraResManager store = StoreWith({{"Bg", CoordImage(20, 13, 5)}, {"Fg", CoordImage(20, 13, 6)}});
  static constexpr int kOps = 10;

  Scene() {
    // See-through pixels, so that blending shows in the result.
    for (int y = 0; y < big->height; ++y)
      for (int x = 0; x < big->width; ++x)
        if ((x + y) % 3 == 0) big->At(x, y) = (big->At(x, y) & 0x00FFFFFF) | 0x60000000u;
  }

  void Draw(const CanvasView& c) const {
    FillRectBlend(c, {-3, 2, 40, 9}, 0x80FF0000u);
    DrawImage(c, *big, -20, -11);
    DrawImage(c, *opaque, 31, 19);
    DrawNineSlice(c, *strip, {2, 14, 25, 13});
    DrawNineSlice(c, *strip, SkinRect{10, 0, 10, 8}, SkinRect{12, 1, 27, 17});  // frame 1 of 3
    TZeDaraPanel panel;
    panel.Width = 17;
    panel.Height = 11;
    panel.Alpha = 0;
    panel.BackgroundFillType = PanelFillType::Tile;
    panel.BackgroundOffsetX = 2;
    panel.BackgroundOffsetY = -1;
    DrawPanel(c.Sub({20, 21, 17, 11}), panel, tile.get());
    TZeDaraProgressBar bar;
    bar.Bar_Background = "Bg";
    bar.Bar_Progress = "Fg";
    bar.Width = 33;
    bar.Height = 15;
    bar.Value = 61;
    bar.BarLeftRightSize = 4;
    DrawProgressBar(c.Sub({4, 24, 33, 15}), bar, store);
    SetOpaque(c, {0, 0, 40, 5});
  }
};

constexpr std::uint32_t kBase = 0x40102030u;  // a see-through base, so blending shows

TEST(SkinClip, ClippedDrawingIsTheUnclippedPictureCutToTheClip) {
  const Scene scene;
  Canvas32 whole(40, 30, kBase);
  scene.Draw(whole.View());
  const SkinRect clips[] = {
      {0, 0, 40, 30},   // everything
      {13, 9, 1, 1},    // one pixel
      {0, 0, 40, 1},    // the first row
      {39, 0, 1, 30},   // the last column
      {5, 6, 17, 9},    // inside, across several operations
      {-10, -5, 15, 12},  // reaching out past the top left
      {30, 20, 50, 50},   // reaching out past the bottom right
      {50, 50, 10, 10},   // outside the canvas
      {7, 7, 0, 5},       // empty
  };
  for (const SkinRect& clip : clips) {
    SCOPED_TRACE(testing::Message() << clip.left << "," << clip.top << " " << clip.width << "x" << clip.height);
    Canvas32 cut(40, 30, kBase);
    scene.Draw(cut.View().Clipped(clip));
    long long inside = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        bool in = x >= clip.left && x < clip.Right() && y >= clip.top && y < clip.Bottom();
        inside += in;
        ASSERT_EQ(cut.At(x, y), in ? whole.At(x, y) : kBase) << x << "," << y;
      }
    // Every operation goes through at most the clipped area.
    EXPECT_LE(cut.Visits(), std::uint64_t(Scene::kOps * inside));
  }
}

TEST(SkinClip, AParentDrawnUnderAChildMatchesTheParentsOwnPicture) {
  // A transparent control's buffer gets its parent's picture drawn shifted
  // so that the parent's pixel at the control's place lands at (0, 0).
  const Scene scene;
  Canvas32 parent(40, 30, kBase);
  scene.Draw(parent.View());
  const SkinRect children[] = {{0, 0, 40, 30}, {3, 4, 10, 6}, {25, 17, 15, 13}, {-4, 20, 12, 20}, {12, 0, 1, 30}};
  for (const SkinRect& child : children) {
    SCOPED_TRACE(testing::Message() << child.left << "," << child.top << " " << child.width << "x" << child.height);
    Canvas32 buffer(child.width, child.height, kBase);
    scene.Draw(buffer.View().Sub({-child.left, -child.top, 40, 30}));
    long long shown = 0;
    for (int y = 0; y < child.height; ++y)
      for (int x = 0; x < child.width; ++x) {
        int px = x + child.left, py = y + child.top;
        bool onParent = px >= 0 && px < 40 && py >= 0 && py < 30;
        shown += onParent;
        ASSERT_EQ(buffer.At(x, y), onParent ? parent.At(px, py) : kBase) << x << "," << y;
      }
    EXPECT_LE(buffer.Visits(), std::uint64_t(Scene::kOps * shown));
  }
}

TEST(SkinClip, AWholeWindowPictureUnderASmallControlCostsTheControlsArea) {
  // The main window's 920 × 600 picture under a 100 × 30 button.
  auto picture = CoordImage(920, 600, 1);
  Canvas32 button(100, 30, kBase);
  DrawImage(button.View().Sub({-710, -14, 920, 600}), *picture, 0, 0);
  EXPECT_EQ(button.Visits(), 100u * 30u);
  EXPECT_EQ(button.At(0, 0), picture->At(710, 14));
  EXPECT_EQ(button.At(99, 29), picture->At(809, 43));
  // Nine-slice stretching and a fill likewise.
  Canvas32 small(10, 10, kBase);
  DrawNineSlice(small.View().Sub({-300, -200, 920, 600}), *picture, {0, 0, 900, 590});
  FillRectBlend(small.View().Sub({-300, -200, 920, 600}), {0, 0, 920, 600}, 0x80FFFFFFu);
  EXPECT_EQ(small.Visits(), 200u);
}

TEST(SkinStrip, AFrameDrawnFromTheStripIsTheCopiedFrameDrawn) {
  for (bool stacked : {false, true}) {
    auto image = stacked ? CoordImage(10, 65, 1) : CoordImage(74, 20, 1);  // remainders dropped
    auto store = StoreWith({{"S", image}});
    TPngPictures strip;
    strip.SetImage("S", store);
    strip.MultiLineMode = stacked;
    for (int i = 0; i < 3; ++i)
      for (SkinRect target : {SkinRect{0, 0, 24, 20}, SkinRect{1, 2, 40, 33}, SkinRect{3, 1, 9, 7}}) {
        SCOPED_TRACE(testing::Message() << (stacked ? "stacked " : "") << i << " into " << target.width
                                        << "x" << target.height);
        Canvas32 copied(45, 40, kBase), direct(45, 40, kBase);
        DrawNineSlice(copied.View(), *strip.Frame(i), target);
        DrawNineSlice(direct.View(), *image, strip.FrameRect(i), target);
        for (int y = 0; y < 40; ++y)
          for (int x = 0; x < 45; ++x) ASSERT_EQ(direct.At(x, y), copied.At(x, y)) << x << "," << y;
      }
    EXPECT_EQ(strip.FrameRect(3).width, 0);
  }
}

TEST(SkinPanel, CoversOpaquelyOnlyWhenNothingUnderItShows) {
  // Each panel is drawn over two different backgrounds: the result may
  // ignore the background exactly when the panel says it covers it.
  auto opaque = CoordImage(12, 8, 1);
  auto seeThrough = CoordImage(12, 8, 1);
  seeThrough->At(5, 5) = 0xFE000000u;
  auto opaqueMode = std::make_shared<TZeDaraImage>(*seeThrough);
  opaqueMode->drawMode = DrawMode::dmOpaque;
  auto smallOpaque = CoordImage(3, 2, 1);
  struct Case {
    const char* what;
    std::shared_ptr<TZeDaraImage> image;
    int alpha;
    PanelFillType fill;
    int offsetX, offsetY;
    bool covers;
  } cases[] = {
      {"opaque fill, no picture", nullptr, 255, PanelFillType::Normal, 0, 0, true},
      {"half fill, no picture", nullptr, 192, PanelFillType::Normal, 0, 0, false},
      {"opaque picture of the panel's size", opaque, 0, PanelFillType::Normal, 0, 0, true},
      {"opaque picture moved right", opaque, 0, PanelFillType::Normal, 1, 0, false},
      {"opaque picture moved up, still covering", CoordImage(12, 10, 1), 0, PanelFillType::Normal, 0, -2, true},
      {"one see-through pixel", seeThrough, 0, PanelFillType::Normal, 0, 0, false},
      {"copied unchanged whatever its alpha", opaqueMode, 0, PanelFillType::Normal, 0, 0, true},
      {"small opaque picture at natural size", smallOpaque, 0, PanelFillType::Normal, 0, 0, false},
      {"small opaque picture tiled", smallOpaque, 0, PanelFillType::Tile, 1, 1, true},
      {"small opaque picture stretched", smallOpaque, 0, PanelFillType::Stretch, 0, 0, true},
      {"see-through picture tiled", seeThrough, 0, PanelFillType::Tile, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TZeDaraPanel panel;
    panel.Width = 12;
    panel.Height = 8;
    panel.Alpha = c.alpha;
    panel.BackgroundFillType = c.fill;
    panel.BackgroundOffsetX = c.offsetX;
    panel.BackgroundOffsetY = c.offsetY;
    const TZeDaraImage* image = c.image.get();
    const bool covers = PanelCoversOpaquely(panel, image, image && image->CoversOpaquely());
    EXPECT_EQ(covers, c.covers);
    Canvas32 onBlack(12, 8, 0xFF000000u), onWhite(12, 8, kWhite);
    DrawPanel(onBlack.View(), panel, image);
    DrawPanel(onWhite.View(), panel, image);
    bool same = true;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 12; ++x) same = same && onBlack.At(x, y) == onWhite.At(x, y);
    EXPECT_EQ(same, c.covers);
  }
}

}  // namespace
}  // namespace lum
