#include "inspect/resources.h"

#include "platform/runlog.h"

namespace lum {

bool ReleaseResource(Platform& p, const std::string& type, const std::string& name,
                     const std::string& target) {
  std::optional<Bytes> data = p.resources.Find(type, name);
  if (data && p.files.Write(target, *data)) return true;
  WriteRunLog(p, target + "释放资源失败，错误代码：" + std::to_string(p.system.LastError()));
  return false;
}

}  // namespace lum
