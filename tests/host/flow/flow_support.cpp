#include "tests/host/flow/flow_support.h"

#include "platform/text.h"

namespace lum::flowtest {

std::string ToolLine::Text() const {
  return address + "\t" + letter + "\t" + total + "\t" + free + "\t" + kind + "\t" + fs + "\t" +
         label + "\t" + style + "\t" + active + "\n";
}

void InstallDiskTool(sim::SimMachine& m, const std::vector<ToolLine>& lines) {
  m.AddResource("Fun", "Rusort", std::string_view("MZ disk listing tool"));
  std::string text;
  for (const ToolLine& l : lines) text += l.Text();
  m.RegisterProgram("C:\\Windows\\temp\\~S", [text](sim::SimRun& run) {
    if (run.commandLine.find("FerroYX.exe -kelvast") == std::string::npos) return sim::SimExit(1);
    run.Write(run.machine.platform().codepage.ToAnsi(text));
    return sim::SimExit(0);
  });
}

std::vector<std::string> RunLogLines(sim::SimMachine& m) {
  std::vector<std::string> lines;
  std::optional<Bytes> raw = m.platform().files.Read("C:\\Windows\\temp\\OrvekRun.LOG");
  if (!raw) return lines;
  const std::string text = m.platform().codepage.FromAnsi(*raw);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    // "2017-08-18 14:05:09 text"
    lines.push_back(line.size() >= 20 ? line.substr(20) : line);
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> LinesAfterHeader(sim::SimMachine& m) {
  std::vector<std::string> all = RunLogLines(m);
  const std::string rule = std::string(25, '=') + " Start " + std::string(25, '=');
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i] == rule) return {all.begin() + static_cast<long>(i) + 1, all.end()};
  return {};
}

std::vector<std::string> WorkFolders(sim::SimMachine& m) {
  std::vector<std::string> names;
  for (const DirEntry& e : m.platform().files.List("C:\\Windows\\temp"))
    if (e.isDir && e.name.size() == 8 && e.name.rfind("~S", 0) == 0) names.push_back(e.name);
  return names;
}

}  // namespace lum::flowtest
