#include "inspect/osdescriptor.h"

namespace lum {

constexpr int kSmServerR2 = 89;

std::string OsProductName(std::uint32_t major, std::uint32_t minor, bool workstation,
                          bool nativeAmd64, bool serverR2) {
  if (major == 5 && minor == 0) return "Windows 2000";
  if (major == 5 && minor == 1) return "Windows XP";
  if (major == 5 && minor == 2) {
    // The 64-bit edition of XP reports 5.2 as a workstation.
    if (workstation && nativeAmd64) return "Windows XP";
    return serverR2 ? "Windows Server 2003 R2" : "Windows Server 2003";
  }
  if (major == 6) {
    switch (minor) {
      case 0: return workstation ? "Windows Vista" : "Windows Server 2008";
      case 1: return workstation ? "Windows 7" : "Windows Server 2008 R2";
      case 2: return workstation ? "Windows 8" : "Windows Server 2012";
      case 3: return workstation ? "Windows 8.1" : "Windows Server 2012 R2";
      default: break;
    }
  }
  return "Windows";
}

std::string DescriptorLine(const PlatformOsVersion& os) {
  std::string line = os.name;
  if (os.servicePackMajor != 0) line += " Service Pack " + std::to_string(os.servicePackMajor);
  line += " (Version " + std::to_string(os.major) + "." + std::to_string(os.minor) + ", Build " +
          std::to_string(os.build) + ", " +
          (os.nativeAmd64 ? "64-bit Edition" : "32-bit Edition") + ")";
  return line;
}

PlatformOsVersion ReadPlatformOsVersion(Platform& p) {
  PlatformOsVersion os;
  if (std::optional<OsVersionRecord> v = p.system.QueryOsVersion()) {
    os.major = v->major;
    os.minor = v->minor;
    os.build = v->build;
    os.servicePackMajor = v->spMajor;
    os.workstation = v->productType == 1;
  }
  if (os.major > 6 || (os.major == 6 && os.minor > 1)) os.build = 0;
  if (os.major > 5 || (os.major == 5 && os.minor >= 1)) {
    std::optional<std::uint16_t> arch = p.system.NativeArchitecture();
    os.nativeAmd64 = arch && *arch == kArchAmd64;
  }
  bool serverR2 = os.major == 5 && os.minor == 2 && p.system.GetSystemMetrics(kSmServerR2) != 0;
  os.name = OsProductName(os.major, os.minor, os.workstation, os.nativeAmd64, serverR2);
  return os;
}

}  // namespace lum
