#pragma once
// The skin image store: the main list of named images that travels inside the
// program, and a run-time list of images loaded from files. Controls name the
// images they need by id; the store answers with an image or with nothing.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "skin/image.h"
#include "skin/store_format.h"

namespace lum {

class IFiles;
struct Platform;

// The program's resource that carries the store.
inline constexpr const char* kSkinStoreType = "SKIN";
inline constexpr const char* kSkinStoreName = "STORE";

// An ordered list of named images (the main list of the store).
class TZeDaraImageList {
 public:
  TZeDaraImageList() = default;
  explicit TZeDaraImageList(std::vector<SkinStoreEntry> entries) : items_(std::move(entries)) {}

  // Adds an entry at the end.
  void Add(std::string resId, std::shared_ptr<TZeDaraImage> image);
  int Count() const { return int(items_.size()); }
  const SkinStoreEntry& Item(int index) const { return items_[std::size_t(index)]; }

  // Index of the first entry whose id, trimmed of surrounding spaces and
  // control characters, equals the trimmed id without regard to ASCII case;
  // -1 when there is none or the id is blank.
  int IndexOfRes(std::string_view id) const;

 private:
  std::vector<SkinStoreEntry> items_;
};

// Answers images by id: a file named by the id first (loaded once and kept by
// its path), then the main list. Images are shared; callers never free them.
class TZeDaraResManager {
 public:
  // files may be null: then ids are never taken for file paths.
  TZeDaraResManager(TZeDaraImageList mainList, IFiles* files);

  // The image for id, or nullptr ("nothing").
  const TZeDaraImage* GetImageByName(std::string_view id);
  int IndexOfRes(std::string_view id) const { return main_.IndexOfRes(id); }
  const TZeDaraImageList& MainList() const { return main_; }
  // How many files the run-time list holds (each path once).
  int LoadedFileCount() const { return int(files_.size()); }

 private:
  struct LoadedFile {
    std::string path;  // trimmed, as first named
    std::shared_ptr<TZeDaraImage> image;  // null when the file was not a readable image
  };
  const LoadedFile* FindOrLoadFile(const std::string& path);

  TZeDaraImageList main_;
  IFiles* fs_;
  std::vector<LoadedFile> files_;
};

// The main list read from the container bytes; empty when they are damaged.
TZeDaraImageList LoadImageList(const std::uint8_t* data, std::size_t size);

// A manager over the store carried in the program's resources, taking file
// images through the platform's files; an empty main list when the resource
// is missing or damaged (every control then draws without pictures).
std::unique_ptr<TZeDaraResManager> MakeResManagerFromResources(Platform& platform);

// The one process-wide manager, created on first use from the list that the
// installed source gives (the program installs one that reads its resource;
// without one the main list is empty). The window thread is the only user.
using ResManagerSource = std::function<std::unique_ptr<TZeDaraResManager>()>;
void SetResManagerSource(ResManagerSource source);
TZeDaraResManager& ZeDaraResManager();
// Drops the process-wide manager (end of program, tests). Controls keep the
// images they looked up when they were made, so this comes after their windows
// are gone.
void ReleaseResManager();

}  // namespace lum
