#include "update/process_selection.h"

#include "common/files.h"
#include "update/updater.h"

namespace vantor {

std::vector<std::uint32_t> ProcessesToEnd(const std::vector<RunningProcess>& running,
                                          const std::wstring& exeName, std::uint32_t selfId) {
  std::vector<std::uint32_t> ids;
  for (const RunningProcess& process : running) {
    // As Windows compares names: a copy started as "vantor.exe" is one too.
    if (SameFileName(process.exeName, exeName) && process.id != selfId) ids.push_back(process.id);
  }
  return ids;
}

bool IsVantorImage(std::wstring_view imagePath) {
  const size_t cut = imagePath.find_last_of(L"\\/");
  const std::wstring_view name =
      cut == std::wstring_view::npos ? imagePath : imagePath.substr(cut + 1);
  return SameFileName(name, kProgramFileName) || SameFileName(name, kKeptProgramFileName);
}

}  // namespace vantor
