#pragma once
// The program's real windows on the real (Wine) machine, for the window tests
// and the screenshot tool: the machine with the restart command and the shell
// recorded instead of carried out, install steps that stand in for the
// download and the boot preparation, and real mouse input.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/install_steps.h"
#include "app/mainview.h"
#include "app/win32/mainform_win.h"
#include "platform/platform.h"
#include "platform/win32/win32_machine.h"

namespace lumtest {

// Start commands and shell targets, kept instead of run; the rest is the
// real machine.
class RecordingProcesses : public lum::IProcesses {
 public:
  explicit RecordingProcesses(lum::IProcesses& real) : real_(real) {}
  std::optional<lum::ProcHandle> Start(const std::string& commandLine, int show) override;
  std::uint32_t Wait(lum::ProcHandle p, std::uint32_t ms) override { return real_.Wait(p, ms); }
  std::uint32_t ExitCode(lum::ProcHandle p) override { return real_.ExitCode(p); }
  void Close(lum::ProcHandle p) override { real_.Close(p); }
  lum::CaptureResult RunCaptured(const std::string& commandLine,
                                 const std::function<void()>& pump) override {
    return real_.RunCaptured(commandLine, pump);
  }
  std::vector<lum::ProcessEntry> Snapshot() override { return real_.Snapshot(); }
  bool Terminate(std::uint32_t pid, std::uint32_t code) override { return real_.Terminate(pid, code); }

  std::vector<std::string> Started() const;

 private:
  lum::IProcesses& real_;
  mutable std::mutex m_;
  std::vector<std::string> started_;
};

class RecordingShell : public lum::IShell {
 public:
  void Open(const std::string& target) override;
  void DisableScreenSaver() override {}
  void SetExecutionState(std::uint32_t) override {}
  std::vector<std::string> Opened() const;

 private:
  mutable std::mutex m_;
  std::vector<std::string> opened_;
};

// What the stand-in download does.
enum class DownloadScript {
  Succeed,    // writes the image into the data folder and reports success
  UntilExit,  // shows progress until the program is asked to end, then fails
};

// Install steps without network or boot changes; the download page shows
// progress like the real runner's.
class ScriptedSteps : public lum::IInstallSteps {
 public:
  ScriptedSteps(lum::Platform& p, lum::IMainView& view, DownloadScript script)
      : p_(p), view_(view), script_(script) {}
  void DeployEngineFiles(const std::string&) override {}
  bool RunDownloads(const std::vector<std::string>& urls, const std::string& dir,
                    const std::string& libraryPath) override;
  // The scripted server publishes no digest list.
  bool FetchQuietly(const std::string&, const std::string&, const std::string&,
                    std::int32_t& failCode) override {
    failCode = 404;
    return false;
  }
  bool ExitRequested() override { return exit_; }
  void SetExitRequested(bool set) override { exit_ = set; }
  bool PreparePeBoot(lum::BootRun&, const std::string&, const std::string&, const std::string&,
                     std::string&, bool, const std::string&, const std::string&,
                     const std::string&, const std::string&) override {
    return true;
  }
  bool PrepareGhostBoot(lum::BootRun&, const lum::TGhofilesysinfo&, const std::string&,
                        std::string&) override {
    return true;
  }

  std::atomic<bool> downloading{false};
  std::atomic<int> ticks{0};         // turns of the download loop
  std::atomic<bool> exit_{false};

 private:
  lum::Platform& p_;
  lum::IMainView& view_;
  DownloadScript script_;
};

// The real machine with the recorders and the application's message pump.
class TestMachine {
 public:
  TestMachine();
  lum::Platform& platform() { return *platform_; }
  RecordingProcesses& processes() { return processes_; }
  RecordingShell& shell() { return shell_; }

 private:
  lum::win32::Win32Machine machine_;
  lum::Platform base_;
  RecordingProcesses processes_;
  RecordingShell shell_;
  struct AppPump : lum::IMessagePump {
    void Pump() override;
  } pump_;
  std::unique_ptr<lum::Platform> platform_;
};

// Sets up the application object and the skin store once per process.
void InitApplicationOnce();

// The main window made and created (its creation sequence run) on machine.
struct MainWindow {
  MainWindow(TestMachine& machine, DownloadScript script);
  ~MainWindow();
  lum::win::Tvorel& form() { return *form_; }
  ScriptedSteps& steps() { return *steps_; }

  ScriptedSteps* steps_ = nullptr;
  std::unique_ptr<lum::win::Tvorel> form_;
};

// Dispatches messages for ms milliseconds.
void Pump(int ms);
// Dispatches messages until done() or the time is up; false on time-out.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

// Real mouse input (SendInput), usable from any thread.
void MouseMove(POINT screen);
void MouseClick(POINT screen);
void MouseWheel(POINT screen, int notches);  // positive: away from the user (up)
// One wheel message of the given delta (120 a notch), as a fine wheel sends.
void MouseWheelDelta(POINT screen, int delta);
// Presses the left button at from, moves by `by` in equal steps, releases.
void MouseDrag(POINT from, POINT by, int steps);
// Centre of a window on the screen.
POINT CentreOf(HWND w);
// Polls (without pumping: for a thread other than the window's) until done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs);

// Runs a function on the window thread (through a message the nested loops
// of the program dispatch) and waits for it.
class MainThreadCall {
 public:
  MainThreadCall();
  ~MainThreadCall();
  void Run(const std::function<void()>& f);

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  HWND hwnd_ = nullptr;
};

}  // namespace lumtest
