#include "boot/payload_table.h"

#include "boot/boot_paths.h"
#include "inspect/resources.h"

namespace lum {

const std::array<Payload, 6>& EfiPayloads(bool win64) {
  return win64 ? payload::kEfi64 : payload::kEfi32;
}

std::string PayloadPath(Platform& p, const Payload& payload) {
  std::string base = payload.base == PayloadBase::SystemDrive ? SystemDrive(p) : TempDir(p);
  return base + std::string(payload.path);
}

std::string WritePayload(Platform& p, const Payload& payload) {
  std::string target = PayloadPath(p, payload);
  ReleaseResource(p, std::string(payload.type), std::string(payload.name), target);
  return target;
}

}  // namespace lum
