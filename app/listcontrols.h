#pragma once
// The controls of the system list: their description, the fixed row layout,
// and the factories that create a control once per name.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lum {

class IMainView;

enum class ListControlKind { Panel, Label, Button };

struct ListRect {
  int top = 0, left = 0, width = 0, height = 0;
  bool operator==(const ListRect&) const = default;
};

// One control inside the scroll box, as the window creates it.
struct ListControl {
  ListControlKind kind = ListControlKind::Panel;
  std::string name;     // component name, "JXBUTTONI3"
  ListRect rect;        // relative to the scroll box's content
  std::string picture;  // panel background or button strip; empty for labels
  std::string caption;  // labels only
  std::string hint;     // the install button's image address
  bool showHint = false;
  int fontSize = 0;     // points, labels only (the window's font, Tahoma)
  bool bold = false;
  std::uint32_t colour = 0;  // COLORREF 0x00BBGGRR, labels only
  bool operator==(const ListControl&) const = default;
};

// The eight slots of a row: picture, name, description, update note, size,
// recommended badge, install button, separator line.
enum RowSlot : std::size_t {
  kSlotPicture = 0,
  kSlotName,
  kSlotDescription,
  kSlotUpdate,
  kSlotSize,
  kSlotBadge,
  kSlotInstall,
  kSlotLine,
  kSlotCount
};

struct RowLayout {
  static constexpr int kRowStep = 78;
  std::array<ListRect, kSlotCount> slots;

  // The rectangles of row 1.
  void Reset();
  // Moves every slot one row down.
  void NextRow();
};

// The name prefixes of the slots ("JXPICA", ... "JXLINES"); the row number
// follows in decimal.
const char* SlotNamePrefix(RowSlot slot);

// The controls the main window owns, by name. The factories create a control
// only when the owner has none of that name yet; otherwise they do nothing
// and the existing control keeps its position, texts and pictures.
class ListControlSet {
 public:
  explicit ListControlSet(IMainView& view) : view_(view) {}

  void CreateDiyPanel(const std::string& name, const std::string& picture, int top, int left,
                      int width, int height);
  void CreateDiyLabel(const std::string& name, const std::string& caption,
                      const std::string& hint, bool bold, std::uint32_t colour, int size, int top,
                      int left, int width, int height);
  void CreateDiyButton(const std::string& name, const std::string& picture,
                       const std::string& hint, int top, int left, int width, int height);

  // Frees every control except the scroll bar "Bar1", last to first.
  void FreeAll();

  const ListControl* Find(const std::string& name) const;
  const std::vector<ListControl>& Controls() const { return controls_; }

 private:
  void Add(ListControl control);

  IMainView& view_;
  std::vector<ListControl> controls_;
};

}  // namespace lum
