// The system list page: one row of controls per catalogue line.
#include <algorithm>
#include <string>

#include "app/mainform.h"
#include "catalogue/catalogue.h"
#include "catalogue/recommend_sys.h"

namespace lum {
namespace {

constexpr std::uint32_t kNameColour = 0xF7B57E;  // RGB(126, 181, 247)
constexpr std::uint32_t kNoteColour = 0x908E8C;  // RGB(140, 142, 144)
constexpr std::uint32_t kLineColour = 0xFB811B;  // RGB(27, 129, 251)

std::string SlotName(RowSlot slot, int row) { return SlotNamePrefix(slot) + std::to_string(row); }

}  // namespace

void MainForm::Readsystolist() {
  list_.FreeAll();
  layout_.Reset();
  const Recommendation rec = GetRecommendSys(p_, m_.SysPartition.PIsGpt);
  const auto& s = layout_.slots;
  int n = 0;
  for (const std::string& line : m_.SysCatalog) {
    ++n;
    std::vector<std::string> f = SplitCatalogLine(line);
    f.resize(std::max<std::size_t>(f.size(), kCatFieldCount));
    auto label = [&](RowSlot slot, std::size_t field, int size, std::uint32_t colour) {
      const ListRect& r = s[slot];
      list_.CreateDiyLabel(SlotName(slot, n), f[field], "", false, colour, size, r.top, r.left,
                           r.width, r.height);
    };
    const ListRect& pic = s[kSlotPicture];
    list_.CreateDiyPanel(SlotName(kSlotPicture, n), f[kCatPicture], pic.top, pic.left, pic.width,
                         pic.height);
    label(kSlotName, kCatName, 12, kNameColour);
    label(kSlotDescription, kCatDescription, 11, kNoteColour);
    label(kSlotUpdate, kCatUpdateNote, 11, kNoteColour);
    label(kSlotSize, kCatSizeNote, 11, kNoteColour);
    if (IsRecommendedEntry(line, rec)) {
      const ListRect& b = s[kSlotBadge];
      list_.CreateDiyPanel(SlotName(kSlotBadge, n), "JXHot", b.top, b.left, b.width, b.height);
      Log("推荐：" + rec.family + "(" + rec.arch + ")");
    }
    const ListRect& btn = s[kSlotInstall];
    list_.CreateDiyButton(SlotName(kSlotInstall, n), "Btn_installsys", f[kCatImageUrl], btn.top,
                          btn.left, btn.width, btn.height);
    const ListRect& ln = s[kSlotLine];
    list_.CreateDiyLabel(SlotName(kSlotLine, n), std::string(201, '-'), "", false, kLineColour, 9,
                         ln.top, ln.left, ln.width, ln.height);
    layout_.NextRow();
  }
  m_.SetupEnabled = true;
  view_.SetEnabled("Btn_setup", true);
}

void MainForm::Sb_SyslistMouseWheel(int delta) {
  // Turned away from the user: the list goes back towards its top. The bar
  // clamps the position to its range.
  if (int up = wheel_.Add(delta)) view_.SetListScrollPosition(view_.ListScrollPosition() - up);
}

void MainForm::Sb_SyslistMouseWheelDown() { Sb_SyslistMouseWheel(-WheelAccumulator::kNotch); }

void MainForm::Sb_SyslistMouseWheelUp() { Sb_SyslistMouseWheel(WheelAccumulator::kNotch); }

}  // namespace lum
