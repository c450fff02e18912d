#include "app/listcontrols.h"

#include "app/mainview.h"
#include "platform/text.h"

namespace lum {

void RowLayout::Reset() {
  slots = {{
      {0, 15, 100, 60},    // picture
      {3, 136, 200, 20},   // name
      {41, 136, 350, 20},  // description
      {3, 500, 200, 20},   // update note
      {41, 500, 200, 20},  // image size
      {14, 440, 47, 28},   // recommended badge
      {14, 710, 100, 30},  // install button
      {60, 15, 820, 9},    // separator line
  }};
}

void RowLayout::NextRow() {
  for (ListRect& r : slots) r.top += kRowStep;
}

const char* SlotNamePrefix(RowSlot slot) {
  static constexpr const char* kPrefixes[kSlotCount] = {
      "JXPICA", "JXLABA", "JXLABB", "JXLABC", "JXLABD", "JXHOTSYS", "JXBUTTONI", "JXLINES"};
  return kPrefixes[slot];
}

const ListControl* ListControlSet::Find(const std::string& name) const {
  // Component names are compared as the framework does, without regard to case.
  for (const ListControl& c : controls_)
    if (SameTextAscii(c.name, name)) return &c;
  return nullptr;
}

void ListControlSet::Add(ListControl control) {
  if (Find(control.name)) return;
  controls_.push_back(control);
  view_.CreateListControl(controls_.back());
}

void ListControlSet::CreateDiyPanel(const std::string& name, const std::string& picture, int top,
                                    int left, int width, int height) {
  ListControl c;
  c.kind = ListControlKind::Panel;
  c.name = name;
  c.picture = picture;
  c.rect = {top, left, width, height};
  Add(std::move(c));
}

void ListControlSet::CreateDiyLabel(const std::string& name, const std::string& caption,
                                    const std::string& hint, bool bold, std::uint32_t colour,
                                    int size, int top, int left, int width, int height) {
  ListControl c;
  c.kind = ListControlKind::Label;
  c.name = name;
  c.caption = caption;
  c.hint = hint;
  c.showHint = true;
  c.bold = bold;
  c.colour = colour;
  c.fontSize = size;
  c.rect = {top, left, width, height};
  Add(std::move(c));
}

void ListControlSet::CreateDiyButton(const std::string& name, const std::string& picture,
                                     const std::string& hint, int top, int left, int width,
                                     int height) {
  ListControl c;
  c.kind = ListControlKind::Button;
  c.name = name;
  c.picture = picture;
  c.hint = hint;
  c.showHint = false;
  c.rect = {top, left, width, height};
  Add(std::move(c));
}

void ListControlSet::FreeAll() {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
    if (!SameTextAscii(it->name, "Bar1")) view_.FreeListControl(it->name);
  std::erase_if(controls_, [](const ListControl& c) { return !SameTextAscii(c.name, "Bar1"); });
}

}  // namespace lum
