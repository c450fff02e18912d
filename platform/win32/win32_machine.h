#pragma once
// The real machine: every interface of the seam implemented with the Windows
// calls, owned by one object that hands out the Platform bundle.
//
//   lum::win32::Win32Machine machine;
//   lum::Platform p = machine.platform();
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"
#include "platform/win32/clock_win.h"
#include "platform/win32/codepage_win.h"
#include "platform/win32/digests_win.h"
#include "platform/win32/environment_win.h"
#include "platform/win32/files_win.h"
#include "platform/win32/processes_win.h"
#include "platform/win32/pump_win.h"
#include "platform/win32/registry_win.h"
#include "platform/win32/resources_win.h"
#include "platform/win32/shell_win.h"
#include "platform/win32/system_win.h"
#include "platform/win32/versioninfo_win.h"
#include "platform/win32/volumes_win.h"

namespace lum::win32 {

class Win32Machine {
 public:
  Win32Machine() = default;
  Win32Machine(const Win32Machine&) = delete;
  Win32Machine& operator=(const Win32Machine&) = delete;

  // References into this object: it must outlive the bundle.
  Platform platform() {
    return Platform{files_,     env_,       codepage_, system_, versions_, registry_,
                    processes_, volumes_,   shell_,    clock_,  resources_, pump_,
                    digests_};
  }

 private:
  Win32Files files_;
  Win32Environment env_;
  Win32CodePage codepage_;
  Win32System system_;
  Win32VersionInfo versions_;
  Win32Registry registry_;
  Win32Processes processes_;
  Win32Volumes volumes_;
  Win32Shell shell_;
  Win32Clock clock_;
  Win32Resources resources_;
  Win32MessagePump pump_;
  Win32Digests digests_;
};

}  // namespace lum::win32
