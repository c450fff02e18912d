#include "skin/image_store.h"

#include "platform/platform.h"
#include "platform/text.h"
#include "skin/png_reader.h"

namespace lum {

void TZeDaraImageList::Add(std::string resId, std::shared_ptr<TZeDaraImage> image) {
  items_.push_back({std::move(resId), std::move(image)});
}

int TZeDaraImageList::IndexOfRes(std::string_view id) const {
  std::string want = TrimControls(id);
  if (want.empty()) return -1;
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (SameTextAscii(TrimControls(items_[i].ResID), want)) return int(i);
  return -1;
}

TZeDaraResManager::TZeDaraResManager(TZeDaraImageList mainList, IFiles* files)
    : main_(std::move(mainList)), fs_(files) {}

const TZeDaraResManager::LoadedFile* TZeDaraResManager::FindOrLoadFile(const std::string& path) {
  for (const LoadedFile& f : files_)
    if (SameTextAscii(f.path, path)) return &f;
  if (!fs_ || !fs_->FileExists(path)) return nullptr;
  // Kept even when it does not read as an image, so the file is read once.
  std::shared_ptr<TZeDaraImage> image;
  if (auto bytes = fs_->Read(path))
    if (auto decoded = DecodePng(bytes->data(), bytes->size()))
      image = std::make_shared<TZeDaraImage>(std::move(*decoded));
  files_.push_back({path, std::move(image)});
  return &files_.back();
}

const TZeDaraImage* TZeDaraResManager::GetImageByName(std::string_view id) {
  std::string path = TrimControls(id);
  if (path.empty()) return nullptr;
  if (const LoadedFile* f = FindOrLoadFile(path); f && f->image) return f->image.get();
  // No such file, or one that is not a readable image: the main list answers.
  int index = main_.IndexOfRes(path);
  return index < 0 ? nullptr : main_.Item(index).image.get();
}

TZeDaraImageList LoadImageList(const std::uint8_t* data, std::size_t size) {
  auto entries = DecodeSkinStore(data, size);
  return entries ? TZeDaraImageList(std::move(*entries)) : TZeDaraImageList();
}

std::unique_ptr<TZeDaraResManager> MakeResManagerFromResources(Platform& platform) {
  TZeDaraImageList list;
  if (auto bytes = platform.resources.Find(kSkinStoreType, kSkinStoreName))
    list = LoadImageList(bytes->data(), bytes->size());
  return std::make_unique<TZeDaraResManager>(std::move(list), &platform.files);
}

namespace {
ResManagerSource& Source() {
  static ResManagerSource source;
  return source;
}
std::unique_ptr<TZeDaraResManager>& Instance() {
  static std::unique_ptr<TZeDaraResManager> instance;
  return instance;
}
}  // namespace

void SetResManagerSource(ResManagerSource source) { Source() = std::move(source); }

TZeDaraResManager& ZeDaraResManager() {
  auto& instance = Instance();
  if (!instance) {
    if (Source()) instance = Source()();
    if (!instance) instance = std::make_unique<TZeDaraResManager>(TZeDaraImageList(), nullptr);
  }
  return *instance;
}

void ReleaseResManager() { Instance().reset(); }

}  // namespace lum
