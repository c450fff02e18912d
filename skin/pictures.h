#pragma once
// Picture strips: one image cut into equal frames (left to right, or top to
// bottom), one frame per button state; and the rule by which a picture
// button picks its frame.
#include <memory>
#include <string>

#include "skin/canvas.h"
#include "skin/image.h"

namespace lum {

class TZeDaraResManager;

class TPngPictures {
 public:
  bool Active = false;
  int Count = 3;
  int Normal = 0;
  int Hot = 1;
  int Pressed = 2;
  int Disable = 0;
  bool MultiLineMode = false;  // frames stacked top to bottom

  const std::string& Image() const { return imageId_; }
  // Sets the strip's id and looks the image up at once; an id that finds
  // nothing leaves the strip without an image.
  void SetImage(const std::string& id, TZeDaraResManager& store);
  void SetImage(const std::string& id);  // through the process-wide store
  const TZeDaraImage* Picture() const { return picture_; }

  // Frame i as a new image with the strip's draw mode, or nothing when there
  // is no image or i is outside 0 .. Count - 1. The caller owns the frame.
  std::unique_ptr<TZeDaraImage> Frame(int i) const;
  // Where frame i lies in the strip's image (the part Frame(i) copies); an
  // empty rectangle when there is no such frame. Drawing from it costs no copy.
  SkinRect FrameRect(int i) const;
  std::unique_ptr<TZeDaraImage> GetNormalImage() const { return Frame(Normal); }
  std::unique_ptr<TZeDaraImage> GetHotImage() const { return Frame(Hot); }
  std::unique_ptr<TZeDaraImage> GetPressedImage() const { return Frame(Pressed); }
  std::unique_ptr<TZeDaraImage> GetDisableImage() const { return Frame(Disable); }

 private:
  std::string imageId_;
  const TZeDaraImage* picture_ = nullptr;
};

// What a picture button shows.
struct ButtonState {
  bool enabled = true;
  bool mouseOver = false;
  bool mouseDown = false;  // a mouse button went down on it and is still held
  bool down = false;       // its Down property
};

struct ButtonFrame {
  int frame = 0;
  bool shifted = false;  // drawn moved by the button's pressed offset
};

// A disabled button shows Disable whatever the mouse does. An enabled one
// shows Hot while the mouse is over it and it is not held down, Pressed
// (shifted) while held down or Down, and Normal otherwise.
ButtonFrame PickButtonFrame(const TPngPictures& strip, const ButtonState& state);

}  // namespace lum
