#include "download/runner.h"

#include <cstring>

#include "download/format.h"
#include "download/task_setup.h"
#include "download/url_name.h"
#include "engine/state_file.h"
#include "inspect/processes.h"
#include "platform/runlog.h"
#include "platform/text.h"

namespace lum {

std::uint8_t ExitRequested = 0;

namespace {

bool g_runInProgress = false;

class RunGuard {
 public:
  RunGuard() { g_runInProgress = true; }
  ~RunGuard() { g_runInProgress = false; }
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;
};

bool ExitIsRequested() { return ExitRequested == 1; }

// Copies a text into a fixed UTF-16 field that the zero fill has ended already.
template <std::size_t N>
void CopyField(char16_t (&field)[N], const std::u16string& text) {
  static_assert(N > 0);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1) * sizeof(char16_t));
}

// A file name the target can be made of: not empty, not a folder reference,
// and with no path in it, so that the target stays inside the directory.
bool UsableFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string::npos;
}

// The texts of the download page, kept for the whole run: a text that a poll
// does not recompute keeps its last value.
struct PageTexts {
  std::string fileName, savePath, size, speed, received, percent;
};

class Run {
 public:
  Run(const DownloadServices& s, IEngineCalls& calls, IDownloadView& view)
      : p_(s.platform), wait_(s.wait), calls_(calls), view_(view) {}

  // One URL. Returns false when the run must end at once (exit requested
  // while the task was polled).
  bool Fetch(const std::string& url, const std::string& dir);
  bool result() const { return result_; }
  std::int32_t failCode() const { return failCode_; }

 private:
  bool ClearTheWay(const std::string& target, const std::string& name, bool keepPartial);
  void Show(const TaskInfo& info);
  void Fail(const std::string& url);
  void StopForQuit(TaskHandle task, const std::string& target);

  Platform& p_;
  IMessageWait& wait_;
  IEngineCalls& calls_;
  IDownloadView& view_;
  bool result_ = false;
  std::int32_t failCode_ = 0;
  PageTexts texts_;
};

// The partial files of an earlier attempt are kept for the engine to resume
// when its state file belongs to this URL (the engine then checks that the
// server's file is still the same one and keeps only the blocks it can
// prove); anything else is removed.
bool PartialBelongsTo(Platform& p, const std::string& target, const std::string& url) {
  if (!p.files.FileExists(target + ".td")) return false;
  std::optional<Bytes> raw = p.files.Read(target + ".td.cfg");
  if (!raw) return false;
  std::optional<engine::TransferState> state = engine::ParseState(std::string(raw->begin(), raw->end()));
  return state && state->url == url;
}

// Ends the processes started from a file of the target's name and deletes
// the target (and partial files that belong to another download), again
// while the target is still there. Between rounds the window's messages are
// dispatched for a moment, which also gives an ended process time to let go
// of the file.
bool Run::ClearTheWay(const std::string& target, const std::string& name, bool keepPartial) {
  for (int attempt = 1;; ++attempt) {
    KillProcessesByName(p_, name);
    p_.files.Delete(target);
    if (!keepPartial) {
      p_.files.Delete(target + ".td");
      p_.files.Delete(target + ".td.cfg");
    }
    if (!p_.files.FileExists(target) && !p_.files.DirExists(target)) return true;
    if (attempt >= kClearAttempts || ExitIsRequested()) return false;
    PumpWait(p_, wait_, kClearRetryWaitMs);
  }
}

std::uint8_t StatusByte(const TaskInfo& info) { return static_cast<std::uint8_t>(info.status & 0xFF); }

// A quit during a download stops the task before the program ends, so that
// the engine writes out what has arrived and the next run resumes from it.
// The wait is bounded: a stalled connection must not hold up the quit, and
// whatever the engine had not written by then is fetched again next time.
void Run::StopForQuit(TaskHandle task, const std::string& target) {
  if (!calls_.RequestStop(task)) return;
  const std::uint64_t start = p_.clock.TickMs();
  TaskInfo info;
  std::uint8_t status;
  for (;;) {
    InitTaskInfo(info);
    calls_.QueryTaskInfoEx(task, info);
    status = StatusByte(info);
    if (status != engine::kStatusDownloading && status != engine::kStatusStartPending) break;
    if (p_.clock.TickMs() - start >= kQuitStopWaitMs) return;
    p_.clock.Sleep(kQuitStopPollMs);
  }
  if (status == engine::kStatusStopped) WriteRunLog(p_, "[Download Stop] " + target + ".td");
}

void Run::Fail(const std::string& url) {
  result_ = false;
  if (failCode_ == 0) failCode_ = -1;  // the runner gave up on its own
  view_.SetFileName("下载出错！");
  WriteRunLog(p_, "[Download failed] " + url);
}

void Run::Show(const TaskInfo& info) {
  if (auto size = FormatTotalSize(info.totalSize)) texts_.size = *size;
  if (auto received = FormatReceived(info.received)) texts_.received = *received;
  texts_.speed = FormatSpeed(info.speed);
  texts_.percent = FormatPercent(info.fraction);
  view_.SetProgressValue(ProgressBarValue(info.fraction));
  view_.SetFileName(texts_.fileName);
  view_.SetSavePath(texts_.savePath);
  view_.SetFileSize(texts_.size);
  view_.SetSpeed(texts_.speed);
  view_.SetReceived(texts_.received);
  view_.SetPercent(texts_.percent);
}

bool Run::Fetch(const std::string& url, const std::string& dir) {
  failCode_ = 0;
  const std::string name = UrlFileName(url);
  const std::string target = dir + name;
  const std::string saveDir = ExtractFileDir(target);
  const std::u16string url16 = Utf8ToUtf16(url);
  const std::u16string name16 = Utf8ToUtf16(name);
  const std::u16string dir16 = Utf8ToUtf16(saveDir);

  // A URL without a usable name, or texts the record cannot hold, make no
  // task; nothing is cleared for them.
  if (!UsableFileName(name) || url16.size() > kMaxUrlLength || name16.size() > kMaxFileNameLength ||
      dir16.size() > kMaxSaveDirLength) {
    WriteRunLog(p_, "[Download Url] " + url);
    Fail(url);
    return true;
  }

  const bool resume = PartialBelongsTo(p_, target, url);
  const bool cleared = ClearTheWay(target, name, resume);
  TaskParams params;
  InitTaskParams(params);
  WriteRunLog(p_, "[Download Url] " + url);
  if (resume && cleared) WriteRunLog(p_, "[Download Resume] " + target + ".td");
  if (!cleared) {
    // Whatever stands at the target would be taken for the finished file.
    Fail(url);
    return true;
  }
  CopyField(params.url, url16);
  CopyField(params.fileName, name16);

  WriteRunLog(p_, "[Download Path] " + saveDir);
  ForceDirectories(p_.files, saveDir);
  if (!p_.files.DirExists(saveDir)) WriteRunLog(p_, "[Error] Not Directory | " + saveDir);
  CopyField(params.saveDir, dir16);
  params.switch18368 = 0;
  params.switch18364 = 0;

  const TaskHandle task = calls_.CreateTask(params);
  if (task == 0 || !calls_.StartTask(task)) {
    Fail(url);
    return true;
  }
  view_.SetProgressMax(100);
  view_.SetProgressValue(0);
  texts_.fileName = name;
  texts_.savePath = saveDir;

  TaskInfo info;
  while (!ExitIsRequested()) {
    PumpWait(p_, wait_, kPollIntervalMs);
    InitTaskInfo(info);
    p_.pump.Pump();
    calls_.QueryTaskInfoEx(task, info);
    Show(info);
    const std::uint8_t status = StatusByte(info);
    if (status == engine::kStatusFailed || status == engine::kStatusFinished) break;
    if (ExitIsRequested()) {
      StopForQuit(task, target);
      return false;
    }
  }
  if (ExitIsRequested()) StopForQuit(task, target);

  InitTaskInfo(info);
  calls_.QueryTaskInfoEx(task, info);
  if (StatusByte(info) == engine::kStatusFinished) {
    result_ = true;
  } else {
    failCode_ = info.failCode;
    Fail(url);
  }
  return true;
}

}  // namespace

std::string NormaliseTargetDir(const std::string& dir) {
  std::string trimmed = TrimControls(dir);
  if (trimmed.empty() || trimmed.back() != '\\') return trimmed + "\\";
  return dir;
}

bool RunDownloads(const DownloadServices& services, const std::vector<std::string>& urls,
                  const std::string& targetDir, const std::string& libraryPath, IDownloadView& view,
                  std::int32_t* lastFailCode) {
  if (lastFailCode) *lastFailCode = 0;
  if (g_runInProgress) return false;
  RunGuard guard;
  Platform& p = services.platform;

  IEngineCalls* calls = services.engine.Bind(libraryPath);
  if (!calls || !calls->Init()) {
    WriteRunLog(p, "[Error]Load API Failed:" + libraryPath);
    return false;
  }
  WriteRunLog(p, "[Load API] " + libraryPath);

  const std::string dir = NormaliseTargetDir(targetDir);
  Run run(services, *calls, view);
  for (const std::string& url : urls) {
    if (!run.Fetch(url, dir)) break;
  }
  if (lastFailCode) *lastFailCode = run.result() ? 0 : run.failCode();
  return run.result();
}

}  // namespace lum
