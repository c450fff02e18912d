#include "app/startheader.h"

#include "platform/runlog.h"

namespace lum {

void LogStartHeader(Platform& p, TSysinfo& info) {
  WriteRunLog(p, "Begin");
  info = TSysinfo{};
  GetSysinfo(p, info);
  const std::string rule(25, '=');
  WriteRunLog(p, rule + " Basic " + rule);
  WriteRunLog(p, "系统信息：" + info.infos);
  WriteRunLog(p, "系统归类：" + info.hname);
  WriteRunLog(p, "NT版本：" + info.ntver);
  WriteRunLog(p, "系统语言：" + info.langstr);
  WriteRunLog(p, "运行环境：" + info.syshj);
  WriteRunLog(p, "程序版本：" + GetAppVersion(p));
  WriteRunLog(p, "程序路径：" + info.Toolpath);
  WriteRunLog(p, rule + " Start " + rule);
}

}  // namespace lum
