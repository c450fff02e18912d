#pragma once
// The tray icon with its popup menu. A hidden window receives the icon's
// mouse messages: a left click calls onClick, a right click opens the menu,
// and a chosen item calls onMenu with its id. The icon comes back when
// Explorer restarts.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace lum::win {

struct TrayMenuItem {
  UINT id = 0;           // 0: a separator
  std::wstring caption;
};

struct TrayIconArgs {
  HICON icon = nullptr;  // nullptr: the program's default icon
  std::wstring hint;
  std::vector<TrayMenuItem> menu;
  std::function<void()> onClick;
  std::function<void(UINT id)> onMenu;
};

class TMlTrayIcon {
 public:
  TMlTrayIcon() = default;
  TMlTrayIcon(const TMlTrayIcon&) = delete;
  TMlTrayIcon& operator=(const TMlTrayIcon&) = delete;
  ~TMlTrayIcon();

  // Makes the hidden window; the icon is not shown until SetVisible(true).
  bool Create(const TrayIconArgs& args);
  // Adds or removes the icon; false when the shell refused it.
  bool SetVisible(bool visible);
  bool Visible() const { return shown_; }
  HWND Window() const { return hwnd_; }
  // The message the icon sends to Window() (wParam the icon id, lParam the mouse message).
  static constexpr UINT kCallbackMessage = WM_APP + 0x51;
  // A new popup menu with the items (the caller destroys it).
  HMENU BuildMenu() const;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void ShowMenu();
  NOTIFYICONDATAW Data() const;

  TrayIconArgs args_;
  HWND hwnd_ = nullptr;
  bool shown_ = false;
  UINT taskbarCreated_ = 0;
};

}  // namespace lum::win
