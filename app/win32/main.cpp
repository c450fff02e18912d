// Lumora.exe: modules first (the application window, then the single-instance
// guard), then the main window and its creation sequence, then the message loop.
#include <windows.h>

#include "app/win32/application.h"
#include "app/win32/mainform_win.h"
#include "app/win32/multinst.h"
#include "platform/win32/win32_machine.h"

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
  int rc = 0;
  {
    lum::win32::Win32Machine machine;
    // The workflow's waits dispatch messages through the application, so that
    // an end requested meanwhile is seen by the message loop.
    AppMessagePump pump;
    lum::Platform base = machine.platform();
    lum::Platform p{base.files,     base.env,     base.codepage, base.system,
                    base.versions,  base.registry, base.processes, base.volumes,
                    base.shell,     base.clock,   base.resources, pump};
    MainForm form(p);
    if (form.Create()) {
      app.SetMainForm(form.hwnd());
      app.Run();
    } else {
      rc = 1;
    }
    app.SetMainForm(nullptr);
  }  // the main window is destroyed here, before the modules end
  RemoveInstanceGuard();
  app.Destroy();
  return rc;
}
