#pragma once
// Test support for the main window's logic: a view that records what the
// logic shows and answers the message dialog from a script, the disk listing
// tool as a program of the simulated machine, and the run log read back.
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/install_steps.h"
#include "app/mainview.h"
#include "platform/sim/sim_machine.h"

namespace lum::flowtest {

class FakeView : public IMainView {
 public:
  void HidePageTabs() override { Event("tabs hidden"); }
  void ShowPage(int index) override {
    page = index;
    Event("page " + std::to_string(index));
  }
  void SetBannerVisible(int banner, bool visible) override {
    banners[banner] = visible;
    Event("banner " + std::to_string(banner) + (visible ? " on" : " off"));
  }
  void SetCaption(const std::string& control, const std::string& text) override {
    captions[control] = text;
    if (control == "Lab_time") Event("caption " + control + " " + text);
  }
  void SetVisible(const std::string& control, bool visible) override {
    visibility[control] = visible;
    Event("visible " + control + (visible ? " on" : " off"));
  }
  void SetEnabled(const std::string& control, bool enabled) override {
    enabledState[control] = enabled;
    Event("enabled " + control + (enabled ? " on" : " off"));
  }
  void SetProgressMax(int maxValue) override { progressMax = maxValue; }
  void SetProgress(int value) override { progress = std::clamp(value, 0, progressMax); }
  void CreateListControl(const ListControl& control) override { created.push_back(control); }
  void FreeListControl(const std::string& name) override { freed.push_back(name); }
  int ListScrollPosition() override { return scroll; }
  void SetListScrollPosition(int position) override { scroll = std::clamp(position, 0, scrollMax); }
  int ShowAppmbox(const std::string& text, bool showCancel) override {
    dialogs.push_back(text);
    // A program that is ending closes the dialog at once.
    if (terminated || closed) {
      Event("dialog closed by the ending: " + text);
      return kMbCancel;
    }
    int answer = kMbOk;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    Event(std::string(showCancel ? "ask " : "tell ") + text + " -> " + std::to_string(answer));
    return answer;
  }
  void Terminate() override {
    terminated = true;
    Event("terminate");
  }
  void CloseWindow() override {
    closed = true;
    Event("close");
  }
  void ShowMainWindow() override { Event("show window"); }
  void SetCountdownTimer(bool running) override {
    timer = running;
    Event(running ? "timer on" : "timer off");
  }

  void Event(const std::string& e) { events.push_back(e); }

  int page = -1;
  std::map<int, bool> banners;
  std::map<std::string, std::string> captions;
  std::map<std::string, bool> visibility, enabledState;
  int progressMax = 100, progress = 0;
  std::vector<ListControl> created;
  std::vector<std::string> freed;
  int scroll = 0, scrollMax = 7 * 78 - 383;
  std::deque<int> answers;  // results of the next dialogs; OK when empty
  std::vector<std::string> dialogs;
  bool terminated = false, closed = false, timer = false;
  std::vector<std::string> events;
};

// One partition line of the disk listing tool, fields joined by TAB.
struct ToolLine {
  std::string address, letter, total, free, kind = "Primary", fs = "NTFS", label, style = "MBR",
                                                     active = "0";
  std::string Text() const;
};

// Makes the disk listing tool print the lines (in the machine's code page)
// whenever it runs from a work folder under the temporary folder.
void InstallDiskTool(sim::SimMachine& m, const std::vector<ToolLine>& lines);

// The run log's lines without their time stamps.
std::vector<std::string> RunLogLines(sim::SimMachine& m);
// The lines after the header's closing "Start" rule.
std::vector<std::string> LinesAfterHeader(sim::SimMachine& m);

// The work folders ("~S" + six letters) under the temporary folder.
std::vector<std::string> WorkFolders(sim::SimMachine& m);

}  // namespace lum::flowtest
