// The store's lookup rule: trimmed ids without regard to ASCII case, the
// first match winning, blank ids and unknown ids finding nothing, and images
// named by a file path loaded once into the run-time list.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/sim/sim_machine.h"
#include "skin/image_store.h"
#include "skin/pictures.h"
#include "png_fixture.h"
#include "skin_fixtures.h"

namespace lum {
namespace {

TZeDaraImageList SampleList() {
  TZeDaraImageList list;
  list.Add("Bg_Mf", test::CoordImage(4, 3, 1));
  list.Add("LOGO", test::CoordImage(2, 2, 2));
  list.Add(" Yk_Close\t", test::CoordImage(72, 20, 3));
  list.Add("bg_mf", test::CoordImage(1, 1, 4));  // a later duplicate never wins
  list.Add("Ü-Tile", test::CoordImage(1, 1, 5));
  return list;
}

TEST(SkinStoreLookup, IdsMatchTrimmedAndWithoutAsciiCase) {
  struct Case {
    const char* id;
    int index;
  } cases[] = {
      {"Bg_Mf", 0},      {"bg_mf", 0},     {"BG_MF", 0},       {"  Bg_Mf  ", 0}, {"\tBG_mf\r\n", 0},
      {"logo", 1},       {"Yk_Close", 2},  {"YK_CLOSE ", 2},   {"Ü-Tile", 4},    {"ü-tile", -1},
      {"Pellamclose", -1}, {"", -1},       {"   ", -1},       {"\t\r\n", -1},   {"Bg_Mf2", -1},
      {"Bg Mf", -1},
  };
  TZeDaraResManager store(SampleList(), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(store.IndexOfRes(c.id), c.index);
    const TZeDaraImage* image = store.GetImageByName(c.id);
    if (c.index < 0) {
      EXPECT_EQ(image, nullptr);
    } else {
      EXPECT_EQ(image, store.MainList().Item(c.index).image.get());
    }
  }
  // Only ASCII letters fold: "Ü" stays distinct from "ü".
  EXPECT_EQ(store.GetImageByName("Bg_Mf")->At(0, 0), MakePixel(255, 0, 0, 1));
}

TEST(SkinStoreLookup, StripOfMissingImageDrawsNothing) {
  TZeDaraResManager store(SampleList(), nullptr);
  TPngPictures strip;
  strip.SetImage("Pellamclose", store);
  EXPECT_EQ(strip.Picture(), nullptr);
  EXPECT_EQ(strip.GetNormalImage(), nullptr);
  EXPECT_EQ(strip.GetHotImage(), nullptr);
  EXPECT_EQ(strip.Image(), "Pellamclose");
}

class SkinStoreFiles : public ::testing::Test {
 protected:
  sim::SimMachine machine;
  void WriteFile(const std::string& winPath, const std::vector<std::uint8_t>& bytes) {
    machine.PutFile(winPath, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
};

TEST_F(SkinStoreFiles, FileImageLoadedOnceAndSharedAcrossSpellings) {
  // 2 × 1: one red pixel and one half-transparent blue one.
  WriteFile("C:\\Skin\\Button.png",
            test::MakePng(2, 1, 6, {0, 255, 0, 0, 255, 0, 0, 255, 128}));
  TZeDaraResManager store(SampleList(), &machine.platform().files);
  const TZeDaraImage* a = store.GetImageByName("C:\\Skin\\Button.png");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->width, 2);
  EXPECT_EQ(a->height, 1);
  EXPECT_EQ(a->At(0, 0), MakePixel(255, 255, 0, 0));
  EXPECT_EQ(a->At(1, 0), MakePixel(128, 0, 0, 255));
  EXPECT_EQ(store.LoadedFileCount(), 1);
  // Same path, other case and surrounding blanks: the same image, not read again.
  ASSERT_TRUE(machine.platform().files.Delete("C:\\Skin\\Button.png"));
  EXPECT_EQ(store.GetImageByName("  c:\\SKIN\\button.PNG "), a);
  EXPECT_EQ(store.LoadedFileCount(), 1);
}

TEST_F(SkinStoreFiles, FileThatIsNotAnImageFallsBackToTheMainList) {
  // A file that happens to carry an id's name but is not a picture.
  WriteFile("C:\\LOGO", {'n', 'o', 't', ' ', 'p', 'n', 'g'});
  TZeDaraResManager store(SampleList(), &machine.platform().files);
  EXPECT_EQ(store.GetImageByName("C:\\LOGO"), nullptr);  // no such id in the list either
  EXPECT_EQ(store.LoadedFileCount(), 1);
  EXPECT_EQ(store.GetImageByName("LOGO"), store.MainList().Item(1).image.get());
}

TEST_F(SkinStoreFiles, MissingFileUsesTheMainList) {
  TZeDaraResManager store(SampleList(), &machine.platform().files);
  EXPECT_EQ(store.GetImageByName("Bg_Mf"), store.MainList().Item(0).image.get());
  EXPECT_EQ(store.GetImageByName("C:\\nothing.png"), nullptr);
  EXPECT_EQ(store.LoadedFileCount(), 0);
}

TEST(SkinStoreProcessWide, CreatedOnFirstUseFromTheInstalledSource) {
  int made = 0;
  SetResManagerSource([&made] {
    ++made;
    return std::make_unique<TZeDaraResManager>(SampleList(), nullptr);
  });
  ReleaseResManager();
  EXPECT_EQ(made, 0);
  TZeDaraResManager& first = ZeDaraResManager();
  EXPECT_EQ(&ZeDaraResManager(), &first);
  EXPECT_EQ(made, 1);
  TPngPictures strip;
  strip.SetImage("yk_close");
  ASSERT_NE(strip.Picture(), nullptr);
  EXPECT_EQ(strip.Picture()->width, 72);
  ReleaseResManager();
  SetResManagerSource(nullptr);
  EXPECT_EQ(ZeDaraResManager().MainList().Count(), 0);
  ReleaseResManager();
}

}  // namespace
}  // namespace lum
