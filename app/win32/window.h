#pragma once
// A window base class: the object arrives through lpCreateParams, messages
// are dispatched to the virtual HandleMessage, and no exception ever crosses
// the window procedure (the application reports it and the program goes on).
#include <windows.h>

namespace lum::win {

class Window {
 public:
  virtual ~Window();
  HWND hwnd() const { return hwnd_; }

 protected:
  struct CreateArgs {
    const wchar_t* className = nullptr;
    const wchar_t* title = L"";
    DWORD style = WS_POPUP;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = 100, height = 100;
    HWND parent = nullptr;
    HBRUSH background = nullptr;
  };
  bool Create(const CreateArgs& args);
  // Return true when the message was handled, with its result in result.
  virtual bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};

}  // namespace lum::win
