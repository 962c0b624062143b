#include "update/process_selection.h"

namespace vantor {

std::vector<std::uint32_t> ProcessesToEnd(const std::vector<RunningProcess>& running,
                                          const std::wstring& exeName, std::uint32_t selfId) {
  std::vector<std::uint32_t> ids;
  for (const RunningProcess& process : running) {
    if (process.exeName == exeName && process.id != selfId) ids.push_back(process.id);
  }
  return ids;
}

}  // namespace vantor
