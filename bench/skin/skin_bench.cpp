// What painting the main window costs: for one wheel notch over the system
// list and for one progress step on the download page, the controls that
// repaint, the area they repaint, the pixels the drawing goes through to do
// it and the time from the change to the last pixel on the screen. Runs the
// real main window (its creation sequence on the machine Wine plays) and
// prints the figures; bench/skin/run builds it and runs it in the prefix of
// the window tests.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "skin/win32/skin_window.h"
#include "tests/win32/app/window_fixture.h"

using namespace lumtest;
using lum::win::PaintStats;
using lum::win::SkinWindow;

namespace {

// The paint figures of the form and every skinned window inside it.
PaintStats Totals(HWND form) {
  PaintStats sum;
  std::function<void(HWND)> add = [&sum](HWND h) {
    if (SkinWindow* w = SkinWindow::FromHandle(h)) {
      const PaintStats& s = w->Buffer().Stats();
      sum.renders += s.renders;
      sum.area += s.area;
      sum.pixelVisits += s.pixelVisits;
    }
  };
  add(form);
  EnumChildWindows(
      form,
      [](HWND h, LPARAM lp) -> BOOL {
        (*reinterpret_cast<std::function<void(HWND)>*>(lp))(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&add));
  return sum;
}

struct Sample {
  std::uint64_t renders, area, visits;
  double ms;
};

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

// Runs change, then paints everything it invalidated at once, and measures both.
Sample Measure(HWND form, const std::function<void()>& change) {
  PaintStats before = Totals(form);
  double t0 = Now();
  change();
  RedrawWindow(form, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
  double t1 = Now();
  PaintStats after = Totals(form);
  return Sample{after.renders - before.renders, after.area - before.area,
                after.pixelVisits - before.pixelVisits, t1 - t0};
}

void Report(const char* what, std::vector<Sample> samples) {
  if (samples.empty()) {
    std::printf("%-15s no samples\n", what);
    return;
  }
  std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
  const Sample& mid = samples[samples.size() / 2];
  double renders = 0, area = 0, visits = 0;
  for (const Sample& s : samples) {
    renders += double(s.renders);
    area += double(s.area);
    visits += double(s.visits);
  }
  const double n = double(samples.size());
  std::printf("%-15s %6zu %8.1f %11.0f %13.0f %8.2f %9.2f %9.2f %9.2f\n", what, samples.size(),
              renders / n, area / n, visits / n, area > 0 ? visits / area : 0.0, samples.front().ms,
              mid.ms, samples.back().ms);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 24;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));

  TestMachine machine;
  MainWindow w(machine, DownloadScript::Succeed);
  HWND form = w.form().Handle();
  if (!form || !IsWindowVisible(form)) {
    std::fprintf(stderr, "the main window did not open\n");
    return 1;
  }
  auto& view = w.form();
  HWND box = w.form().SysList().Handle();

  // The system list, scrolled by wheel messages to the form at the middle
  // of the list, as the mouse sends them.
  view.ShowPage(lum::kPageSysList);
  Pump(300);
  RECT br{};
  GetWindowRect(box, &br);
  const LPARAM at = MAKELPARAM((br.left + br.right) / 2, (br.top + br.bottom) / 2);
  std::vector<Sample> notches;
  int direction = -1;  // down first
  int missed = 0;
  while (int(notches.size()) < runs && missed < 4) {
    const int before = w.form().SysList().Position();
    Sample s = Measure(form, [&] {
      SendMessageW(form, WM_MOUSEWHEEL, MAKEWPARAM(0, direction * WHEEL_DELTA), at);
    });
    const int moved = w.form().SysList().Position() - before;
    if (moved == -direction * 25) {
      notches.push_back(s);
      missed = 0;
    } else {
      // The end of the list (a shorter move or none): turn round.
      direction = -direction;
      ++missed;
    }
  }
  if (notches.empty()) {
    std::fprintf(stderr, "the wheel did not scroll the list\n");
    return 1;
  }

  // The download page, one percent a step, as the download runner shows it.
  view.ShowPage(lum::kPageDownload);
  view.SetProgressMax(100);
  Pump(300);
  std::vector<Sample> steps;
  for (int i = 1; i <= runs; ++i) {
    const int percent = i % 100;
    steps.push_back(Measure(form, [&] {
      view.SetProgress(percent);
      view.SetCaption("Down_SD", std::to_string(800 + i * 7) + "KB/s");
      view.SetCaption("Down_Js", std::to_string(i * 41) + ".2MB");
      view.SetCaption("Down_pro", std::to_string(percent) + "%");
    }));
  }

  std::printf("%-15s %6s %8s %11s %13s %8s %9s %9s %9s\n", "case", "runs", "renders", "area px",
              "pixel visits", "visits/area", "min ms", "median ms", "max ms");
  Report("wheel notch", notches);
  Report("progress step", steps);
  return 0;
}
