#pragma once
// A download page for tests: records every call in order and keeps the last
// value of each label.
#include <string>
#include <vector>

#include "download/download_view.h"

namespace lum::test {

class FakeView : public IDownloadView {
 public:
  void SetFileName(const std::string& t) override { Note("fn", t, fn); }
  void SetSavePath(const std::string& t) override { Note("dph", t, dph); }
  void SetFileSize(const std::string& t) override { Note("size", t, size); }
  void SetSpeed(const std::string& t) override { Note("speed", t, speed); }
  void SetReceived(const std::string& t) override { Note("js", t, received); }
  void SetPercent(const std::string& t) override { Note("pro", t, percent); }
  void SetProgressMax(int v) override { Note("max", std::to_string(v), max); }
  void SetProgressValue(int v) override { Note("bar", std::to_string(v), bar); }

  bool Saw(const std::string& entry) const {
    for (const std::string& e : calls)
      if (e == entry) return true;
    return false;
  }

  std::vector<std::string> calls;  // "fn=name", "bar=50", ...
  std::string fn, dph, size, speed, received, percent, max, bar;

 private:
  void Note(const char* what, const std::string& t, std::string& last) {
    calls.push_back(std::string(what) + "=" + t);
    last = t;
  }
};

}  // namespace lum::test
