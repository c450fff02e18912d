// Lumora.exe: modules first (the application window, then the single-instance
// guard), then the main window and its creation sequence, then the message loop.
#include <windows.h>

#include "app/win32/application.h"
#include "app/win32/mainform_win.h"
#include "app/win32/multinst.h"
#include "platform/win32/machine.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace lum::win;
  Application& app = App();
  if (!app.Initialize(instance, L"Lumora")) return 1;
  InstallInstanceGuard();
  int rc = 0;
  {
    Win32Machine machine;
    MainForm form(machine.platform());
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
