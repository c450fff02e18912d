#include "disktable_fixture.h"

#include "inspect/readdisk.h"

namespace lum::test {

std::vector<std::string> LogLines(sim::SimMachine& m) {
  std::string raw = m.ReadFile("C:\\Windows\\temp\\OrvekRun.LOG").value_or("");
  std::string text = m.platform().codepage.FromAnsi(Bytes(raw.begin(), raw.end()));
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    // "yyyy-mm-dd hh:nn:ss " comes first.
    lines.push_back(line.size() > 20 ? line.substr(20) : line);
    at = end + 2;
  }
  return lines;
}

void InstallTool(sim::SimMachine& m, ToolRun& seen, const std::string& text,
                 const std::string& toolPath) {
  m.AddResource("FUN", "RUSORT", std::string_view(kToolBytes));
  sim::SimProgram tool = [&seen, text, toolPath](sim::SimRun& r) {
    ++seen.runs;
    seen.commandLine = r.commandLine;
    seen.fileDuringRun = r.machine.ReadFile(toolPath).value_or("<missing>");
    r.Write(r.machine.platform().codepage.ToAnsi(text));
    return 0;
  };
  m.RegisterProgram(toolPath, tool);
  // The quoted form, for work folders with a blank.
  m.RegisterProgram("\"" + toolPath + "\"", tool);
}

DiskRow Row(const std::string& caption, std::vector<std::string> cells) {
  return DiskRow{caption, std::move(cells)};
}

std::string Show(const DiskRow& row) {
  std::string out = "[" + row.caption + "]";
  for (const std::string& c : row.cells) out += "|" + c;
  return out;
}

std::vector<std::string> Show(const DiskTable& table) {
  std::vector<std::string> out;
  for (const DiskRow& row : table) out.push_back(Show(row));
  return out;
}

}  // namespace lum::test
