#include "skin/pictures.h"

#include "skin/image_store.h"

namespace lum {

void TPngPictures::SetImage(const std::string& id, TZeDaraResManager& store) {
  imageId_ = id;
  picture_ = store.GetImageByName(id);
}

void TPngPictures::SetImage(const std::string& id) { SetImage(id, ZeDaraResManager()); }

SkinRect TPngPictures::FrameRect(int i) const {
  if (!picture_ || picture_->Empty() || Count <= 0 || i < 0 || i >= Count) return {};
  if (MultiLineMode) {
    int h = picture_->height / Count;
    return h <= 0 ? SkinRect{} : SkinRect{0, i * h, picture_->width, h};
  }
  int w = picture_->width / Count;  // remainder columns at the right are dropped
  return w <= 0 ? SkinRect{} : SkinRect{i * w, 0, w, picture_->height};
}

std::unique_ptr<TZeDaraImage> TPngPictures::Frame(int i) const {
  SkinRect r = FrameRect(i);
  if (r.width <= 0 || r.height <= 0) return nullptr;
  return std::make_unique<TZeDaraImage>(CopyRegion(*picture_, r.left, r.top, r.width, r.height));
}

ButtonFrame PickButtonFrame(const TPngPictures& strip, const ButtonState& state) {
  if (!state.enabled) return {strip.Disable, false};
  bool held = state.mouseDown || state.down;
  if (state.mouseOver && !held) return {strip.Hot, false};
  if (held) return {strip.Pressed, true};
  return {strip.Normal, false};
}

}  // namespace lum
