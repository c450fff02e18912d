// The packed skin store as the program carries it: every image the two
// windows use is there under its id, at its size and with its draw mode, and
// its pixels are the rendered artwork's.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/sim/sim_machine.h"
#include "skin/image_store.h"
#include "skin/png_reader.h"
#include "skin/store_format.h"

namespace lum {
namespace {

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {});
}

struct Expected {
  const char* id;
  int width, height;
  DrawMode mode = DrawMode::dmBlend;
};

constexpr DrawMode kOpaque = DrawMode::dmOpaque;

// The program's own images.
const Expected kProgramImages[] = {
    {"Bg_Mf", 920, 600},        {"Msgbox_bg", 521, 278},    {"LOGO", 24, 24},
    {"Yk_Close", 72, 20},       {"Yk_Mini", 72, 20},        {"Banner_1", 787, 35},
    {"Banner_2", 787, 35},      {"Banner_3", 787, 35},      {"Banner_4", 787, 35},
    {"Pg1", 841, 364, kOpaque}, {"Btn_setup", 540, 48},     {"Syslist_bg", 859, 402},
    {"7-64", 100, 60},          {"7-86", 100, 60},          {"8-64", 100, 60},
    {"8-86", 100, 60},          {"10-64", 100, 60},         {"10-86", 100, 60},
    {"XP", 100, 60},            {"Btn_installsys", 300, 30}, {"JXHot", 47, 28},
    {"Jxpro1", 102, 13},        {"Jxpro2", 102, 13},        {"Wvdownloadbg", 722, 204, kOpaque},
    {"Jxrun", 136, 160},        {"JXend", 160, 160},        {"Dsrootip", 679, 27, kOpaque},
    {"Jxrestart", 180, 48},     {"WVBulepro", 98, 9},
};

// The toolkit's images that the windows rely on.
const Expected kToolkitImages[] = {
    {"ZeDaraSlider_Aio_light_bkg", 60, 134},
    {"ZeDaraTab_button_normal", 10, 25},
    {"ZeDaraTab_button_hot", 10, 25},
    {"ZeDaraTab_button_down", 10, 25},
    {"ZeDaraScrollbar_bkg", 10, 62},
    {"ZeDaraScrollbar_bar_normal", 10, 42},
    {"ZeDaraScrollbar_bar_highlight", 10, 42},
    {"ZeDaraScrollbar_bar_down", 10, 42},
    {"ZeDaraScrollbar_arrowup_normal", 10, 9},
    {"ZeDaraScrollbar_arrowup_highlight", 10, 9},
    {"ZeDaraScrollbar_arrowup_down", 10, 9},
    {"ZeDaraScrollbar_arrowdown_normal", 10, 9},
    {"ZeDaraScrollbar_arrowdown_highlight", 10, 9},
    {"ZeDaraScrollbar_arrowdown_down", 10, 9},
    {"ZeDaraScrollbar_horz_bkg", 34, 10},
    {"ZeDaraScrollbar_horzbar_normal", 34, 10},
    {"ZeDaraScrollbar_horzbar_highlight", 34, 10},
    {"ZeDaraScrollbar_horzbar_down", 34, 10},
    {"ZeDaraScrollbar_arrowleft_normal", 9, 10},
    {"ZeDaraScrollbar_arrowleft_highlight", 9, 10},
    {"ZeDaraScrollbar_arrowleft_down", 9, 10},
    {"ZeDaraScrollbar_arrowright_normal", 9, 10},
    {"ZeDaraScrollbar_arrowright_highlight", 9, 10},
    {"ZeDaraScrollbar_arrowright_down", 9, 10},
    {"ZeDaraCheckBox", 68, 17},
    {"ZeDaraFlatBtn", 66, 22},
    {"ZeDaraBar_base", 102, 13},
    {"ZeDaraBar_cur", 102, 13},
};

class SkinArtwork : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto bytes = ReadAll(LUMORA_SKIN_STORE);
    auto entries = DecodeSkinStore(bytes.data(), bytes.size());
    ASSERT_TRUE(entries) << LUMORA_SKIN_STORE;
    store_ = new TZeDaraResManager(TZeDaraImageList(std::move(*entries)), nullptr);
  }
  static void TearDownTestSuite() {
    delete store_;
    store_ = nullptr;
  }
  static TZeDaraResManager* store_;

  static void CheckTable(const Expected* begin, const Expected* end) {
    for (const Expected* e = begin; e != end; ++e) {
      SCOPED_TRACE(e->id);
      const TZeDaraImage* image = store_->GetImageByName(e->id);
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(image->width, e->width);
      EXPECT_EQ(image->height, e->height);
      EXPECT_EQ(image->drawMode, e->mode);
      // Each id once: the first match is the only one.
      int index = store_->IndexOfRes(e->id), count = 0;
      for (int i = 0; i < store_->MainList().Count(); ++i)
        if (store_->MainList().Item(i).ResID == e->id) ++count;
      EXPECT_GE(index, 0);
      EXPECT_EQ(count, 1);
    }
  }
};
TZeDaraResManager* SkinArtwork::store_ = nullptr;

TEST_F(SkinArtwork, EveryProgramImageAtItsSize) {
  CheckTable(std::begin(kProgramImages), std::end(kProgramImages));
  EXPECT_EQ(store_->GetImageByName("Pellamclose"), nullptr);  // named by the dialog, deliberately absent
}

TEST_F(SkinArtwork, EveryToolkitImageAtItsSize) {
  CheckTable(std::begin(kToolkitImages), std::end(kToolkitImages));
  EXPECT_EQ(store_->MainList().Count(), int(std::size(kProgramImages) + std::size(kToolkitImages)));
}

TEST_F(SkinArtwork, BackgroundsHaveTheBlueBandOverWhite) {
  constexpr std::uint32_t kBlue = MakePixel(255, 27, 129, 251), kWhite = 0xFFFFFFFFu;
  struct Band {
    const char* id;
    int bandHeight;
  } bands[] = {{"Bg_Mf", 144}, {"Msgbox_bg", 215}};
  for (const Band& b : bands) {
    SCOPED_TRACE(b.id);
    const TZeDaraImage* image = store_->GetImageByName(b.id);
    ASSERT_NE(image, nullptr);
    for (int y = 0; y < image->height; ++y)
      for (int x = 0; x < image->width; ++x)
        ASSERT_EQ(image->At(x, y), y < b.bandHeight ? kBlue : kWhite) << x << "," << y;
  }
}

TEST_F(SkinArtwork, OpaqueImagesAndBannersHaveNoTransparentPixels) {
  // The banners lie on top of each other; an opaque banner hides the ones below.
  for (const char* id : {"Pg1", "Wvdownloadbg", "Dsrootip", "Banner_1", "Banner_2", "Banner_3", "Banner_4"}) {
    const TZeDaraImage* image = store_->GetImageByName(id);
    ASSERT_NE(image, nullptr);
    for (std::uint32_t p : image->pixels) ASSERT_EQ(PixelA(p), 255) << id;
  }
  // The banners differ from each other: each highlights its own step.
  const auto& b1 = store_->GetImageByName("Banner_1")->pixels;
  for (const char* id : {"Banner_2", "Banner_3", "Banner_4"}) EXPECT_NE(store_->GetImageByName(id)->pixels, b1) << id;
}

TEST_F(SkinArtwork, StripFramesAreVisiblyDifferent) {
  struct Strip {
    const char* id;
    int count;
  } strips[] = {{"Yk_Close", 3}, {"Yk_Mini", 3}, {"Btn_setup", 3}, {"Btn_installsys", 3},
                {"ZeDaraCheckBox", 4}, {"ZeDaraFlatBtn", 3}};
  for (const Strip& s : strips) {
    SCOPED_TRACE(s.id);
    const TZeDaraImage* image = store_->GetImageByName(s.id);
    ASSERT_NE(image, nullptr);
    int fw = image->width / s.count;
    for (int a = 0; a < s.count; ++a)
      for (int b = a + 1; b < s.count; ++b) {
        // Count pixels whose colour or alpha differs clearly between the two frames.
        int differing = 0;
        for (int y = 0; y < image->height; ++y)
          for (int x = 0; x < fw; ++x) {
            std::uint32_t p = image->At(a * fw + x, y), q = image->At(b * fw + x, y);
            int d = std::abs(PixelA(p) - PixelA(q)) + std::abs(PixelR(p) - PixelR(q)) +
                    std::abs(PixelG(p) - PixelG(q)) + std::abs(PixelB(p) - PixelB(q));
            if (d > 48) ++differing;
          }
        EXPECT_GT(differing, fw * image->height / 10) << "frames " << a << " and " << b;
      }
  }
}

TEST_F(SkinArtwork, StorePixelsAreTheRenderedPngs) {
  // The packer and the program's own PNG reader agree on every pixel.
  for (const Expected* table : {kProgramImages, kToolkitImages}) {
    std::size_t n = table == kProgramImages ? std::size(kProgramImages) : std::size(kToolkitImages);
    for (std::size_t i = 0; i < n; ++i) {
      SCOPED_TRACE(table[i].id);
      auto png = ReadAll(std::string(LUMORA_SKIN_PNG_DIR) + "/" + table[i].id + ".png");
      auto decoded = DecodePng(png.data(), png.size());
      ASSERT_TRUE(decoded);
      EXPECT_EQ(decoded->pixels, store_->GetImageByName(table[i].id)->pixels);
    }
  }
}

TEST(SkinArtworkResource, ManagerReadsTheStoreFromTheProgramsResources) {
  sim::SimMachine machine;
  machine.AddResource(kSkinStoreType, kSkinStoreName, ReadAll(LUMORA_SKIN_STORE));
  auto store = MakeResManagerFromResources(machine.platform());
  ASSERT_NE(store->GetImageByName("bg_mf"), nullptr);
  EXPECT_EQ(store->GetImageByName("bg_mf")->width, 920);

  sim::SimMachine bare;  // no resource: an empty store, no failure
  EXPECT_EQ(MakeResManagerFromResources(bare.platform())->MainList().Count(), 0);
}

}  // namespace
}  // namespace lum
