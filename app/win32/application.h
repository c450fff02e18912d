#pragma once
// The application object: a hidden top-level window that exists before the
// other modules start (the single-instance guard talks through it), the
// request to end the program, and the message loop.
#include <windows.h>

#include <exception>
#include <string>

namespace lum::win {

class Application {
 public:
  bool Initialize(HINSTANCE instance, const wchar_t* title);
  HWND Handle() const { return handle_; }
  HINSTANCE Instance() const { return instance_; }
  const std::wstring& Title() const { return title_; }

  void SetMainForm(HWND form) { mainForm_ = form; }
  HWND MainForm() const { return mainForm_; }
  // When false, the loop does not show the main window when it starts.
  void SetShowMainForm(bool show) { showMainForm_ = show; }
  bool ShowMainForm() const { return showMainForm_; }

  // Ends the message loop at its next turn.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Forgets an end request and drops its WM_QUIT, for a host that runs the
  // program's windows more than once in one process (the window tests).
  void ClearTerminated();

  // Shows the main window (unless suppressed) and dispatches messages until
  // the program is asked to end.
  void Run();

  // Dispatches every pending message; sets Terminated when WM_QUIT arrives.
  void ProcessMessages();

  // The default error report: the error text in a message box; the program goes on.
  void ShowException(const std::exception& e) const;
  void ShowException(const std::string& message) const;

  void Destroy();

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HINSTANCE instance_ = nullptr;
  HWND handle_ = nullptr;
  HWND mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool terminated_ = false;
  std::wstring title_;
};

// The program's one application object.
Application& App();

}  // namespace lum::win
