#include "tests/win32/app/window_fixture.h"

#include "app/win32/application.h"
#include "skin/image_store.h"
#include "skin/win32/skin_window.h"

namespace lumtest {

using lum::win::App;

std::optional<lum::ProcHandle> RecordingProcesses::Start(const std::string& commandLine, int show) {
  if (commandLine.find("shutdown") != std::string::npos) {
    std::lock_guard<std::mutex> lock(m_);
    started_.push_back(commandLine);
    return std::nullopt;  // recorded, not run
  }
  return real_.Start(commandLine, show);
}

std::vector<std::string> RecordingProcesses::Started() const {
  std::lock_guard<std::mutex> lock(m_);
  return started_;
}

void RecordingShell::Open(const std::string& target) {
  std::lock_guard<std::mutex> lock(m_);
  opened_.push_back(target);
}

std::vector<std::string> RecordingShell::Opened() const {
  std::lock_guard<std::mutex> lock(m_);
  return opened_;
}

namespace {

std::string LastComponent(const std::string& url) {
  std::size_t slash = url.find_last_of('/');
  return slash == std::string::npos ? url : url.substr(slash + 1);
}

}  // namespace

bool ScriptedSteps::RunDownloads(const std::vector<std::string>& urls, const std::string& dir,
                                 const std::string&) {
  downloading = true;
  view_.SetProgressMax(100);
  view_.SetCaption("Down_Dph", dir);
  view_.SetCaption("Down_Fsize", "3.99GB");
  if (script_ == DownloadScript::Succeed) {
    for (const std::string& url : urls) {
      view_.SetCaption("Down_fn", LastComponent(url));
      // A small Ghost image: its first bytes are what the restore checks.
      p_.files.Write(dir + LastComponent(url), lum::Bytes{0xFE, 0xEF, 0x01, 0x00});
      view_.SetProgress(100);
      view_.SetCaption("Down_pro", "100%");
      Pump(200);
    }
    downloading = false;
    return true;
  }
  view_.SetCaption("Down_fn", LastComponent(urls.empty() ? std::string() : urls[0]));
  int percent = 0;
  while (!exit_ && !App().Terminated()) {
    p_.pump.Pump();
    Sleep(20);
    if (++ticks % 25 == 0 && percent < 99) {
      ++percent;
      view_.SetProgress(percent);
      view_.SetCaption("Down_pro", std::to_string(percent) + "%");
      view_.SetCaption("Down_SD", "8.52MB/s");
    }
  }
  downloading = false;
  return false;
}

TestMachine::TestMachine()
    : base_(machine_.platform()), processes_(base_.processes) {
  platform_ = std::make_unique<lum::Platform>(lum::Platform{
      base_.files, base_.env, base_.codepage, base_.system, base_.versions, base_.registry,
      processes_, base_.volumes, shell_, base_.clock, base_.resources, pump_, base_.digests});
}

void TestMachine::AppPump::Pump() { App().ProcessMessages(); }

void InitApplicationOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  App().Initialize(GetModuleHandleW(nullptr), L"Lumora");
  static lum::win32::Win32Machine resources;
  static lum::Platform p = resources.platform();
  lum::SetResManagerSource([] { return lum::MakeResManagerFromResources(p); });
}

MainWindow::MainWindow(TestMachine& machine, DownloadScript script) {
  InitApplicationOnce();
  App().ClearTerminated();
  App().SetShowMainForm(true);
  form_ = std::make_unique<lum::win::Tvorel>(
      machine.platform(), [&machine, script, this](lum::IMainView& view) {
        auto s = std::make_unique<ScriptedSteps>(machine.platform(), view, script);
        steps_ = s.get();
        return s;
      });
  if (form_->Create()) {
    ShowWindow(form_->Handle(), SW_SHOW);
    SetForegroundWindow(form_->Handle());
    Pump(200);
  }
}

MainWindow::~MainWindow() {
  form_.reset();
  App().SetMainForm(nullptr);
  App().ClearTerminated();
  Pump(50);
}

void Pump(int ms) {
  DWORD end = GetTickCount() + DWORD(ms);
  do {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) continue;  // the tests look at Terminated instead
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() < end);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  DWORD end = GetTickCount() + DWORD(timeoutMs);
  while (!done()) {
    if (GetTickCount() > end) return false;
    Pump(10);
  }
  return true;
}

namespace {

void SendMouse(DWORD flags, POINT at = POINT{0, 0}, DWORD data = 0) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  in.mi.mouseData = data;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    in.mi.dx = LONG(at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
    in.mi.dy = LONG(at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  }
  SendInput(1, &in, sizeof in);
  Sleep(60);
}

}  // namespace

void MouseMove(POINT screen) { SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen); }

void MouseClick(POINT screen) {
  MouseMove(screen);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
}

void MouseWheel(POINT screen, int notches) {
  MouseMove(screen);
  int step = notches > 0 ? WHEEL_DELTA : -WHEEL_DELTA;
  for (int i = 0; i < (notches > 0 ? notches : -notches); ++i)
    SendMouse(MOUSEEVENTF_WHEEL, POINT{0, 0}, DWORD(step));
}

void MouseWheelDelta(POINT screen, int delta) {
  MouseMove(screen);
  SendMouse(MOUSEEVENTF_WHEEL, POINT{0, 0}, DWORD(delta));
}

void MouseDrag(POINT from, POINT by, int steps) {
  MouseMove(from);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Sleep(140);
  for (int i = 1; i <= steps; ++i)
    MouseMove(POINT{from.x + by.x * i / steps, from.y + by.y * i / steps});
  SendMouse(MOUSEEVENTF_LEFTUP);
  Sleep(240);
}

POINT CentreOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  DWORD end = GetTickCount() + DWORD(timeoutMs);
  while (!done()) {
    if (GetTickCount() > end) return false;
    Sleep(20);
  }
  return true;
}

MainThreadCall::MainThreadCall() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"LumoraTestMainThreadCall";
  RegisterClassW(&wc);
  hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          wc.hInstance, nullptr);
}

MainThreadCall::~MainThreadCall() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void MainThreadCall::Run(const std::function<void()>& f) {
  SendMessageW(hwnd_, WM_APP, 0, reinterpret_cast<LPARAM>(&f));
}

LRESULT CALLBACK MainThreadCall::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) {
    (*reinterpret_cast<const std::function<void()>*>(lp))();
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace lumtest
