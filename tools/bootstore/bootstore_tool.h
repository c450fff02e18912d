#pragma once
// The boot-store editor stand-in: runs one editor command against the text
// store. Which file is the store:
//   1. the file named by a leading "/store FILE";
//   2. else the file named by the environment variable LUMORA_BOOTSTORE
//      (not in a release build: see cmake/Release.cmake);
//   3. else %SystemDrive%\Boot\BCD, where the system keeps its store on a
//      BIOS machine, so that an export copied back over it restores it.
// A missing store reads as one that holds only the boot manager. An existing
// file that is not a text store (a real binary store) is left untouched and
// the command fails.
#include <string>
#include <string_view>

#include "tools/bootstore/store_files.h"

namespace lum {

namespace storeexit {
constexpr int Ok = 0;
constexpr int Failed = 1;     // the command was understood but cannot be done
constexpr int Usage = 2;      // not a command this editor accepts
constexpr int StoreError = 3; // the store or the named file cannot be read or written
}  // namespace storeexit

constexpr std::size_t kMaxStoreBytes = 4u << 20;

struct StoreResult {
  int exitCode = storeexit::Ok;
  std::string message;
  std::string storePath;
};

std::string ResolveStorePath(const std::string& fromOption, IStoreFiles& files);

StoreResult RunBootStore(std::string_view argText, IStoreFiles& files);

}  // namespace lum
