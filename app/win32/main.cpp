// Lumora.exe: modules first (the application window, then the single-instance
// guard), then the main window and its creation sequence, then the message loop.
#include <windows.h>

#include "app/install_steps.h"
#include "app/win32/application.h"
#include "app/win32/mainform_win.h"
#include "app/win32/multinst.h"
#include "boot/win32/win32_profile_writer.h"
#include "download/win32/engine_api.h"
#include "download/win32/message_wait.h"
#include "platform/win32/win32_machine.h"
#include "skin/image_store.h"
#include "skin/win32/skin_window.h"

namespace {
class AppMessagePump : public lum::IMessagePump {
 public:
  void Pump() override { lum::win::App().ProcessMessages(); }
};
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace lum::win;
  Application& app = App();
  if (!app.Initialize(instance, L"Lumora")) return 1;
  InstallInstanceGuard();
  // An error that reaches a window procedure is reported and the program goes on.
  SetSkinExceptionReporter([](const std::string& message) { App().ShowException(message); });
  int rc = 0;
  {
    lum::win32::Win32Machine machine;
    // The workflow's waits dispatch messages through the application, so that
    // an end requested meanwhile is seen by the message loop.
    AppMessagePump pump;
    lum::Platform base = machine.platform();
    lum::Platform p{base.files,     base.env,     base.codepage, base.system,
                    base.versions,  base.registry, base.processes, base.volumes,
                    base.shell,     base.clock,   base.resources, pump,
                    base.digests};
    // The window pictures travel in the program's resources.
    lum::SetResManagerSource([&p] { return lum::MakeResManagerFromResources(p); });
    lum::Win32ProfileWriter ini;
    lum::win32::BoundEngineLoader engine;
    lum::win32::Win32MessageWait wait;
    {
      Tvorel form(p, [&](lum::IMainView& view) {
        return lum::MakeInstallSteps(p, ini, engine, wait, view);
      });
      if (form.Create()) {
        app.Run();
      } else {
        rc = 1;
      }
      app.SetMainForm(nullptr);
    }  // the main window is destroyed here, before the modules end
    lum::ReleaseResManager();
    lum::win32::UnbindEngine();
  }
  RemoveInstanceGuard();
  app.Destroy();
  return rc;
}
