#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct RunningProcess {
  std::uint32_t id = 0;
  std::wstring exeName;  // the bare file name, as the process snapshot gives it
};

// The processes to end: this file name (whole, in any case), never the
// current process.
std::vector<std::uint32_t> ProcessesToEnd(const std::vector<RunningProcess>& running,
                                          const std::wstring& exeName, std::uint32_t selfId);

// Whether an opened process still runs a Vantor ("Vantor.exe" or
// "Vantor.exe.old", by its image's full path): Windows may have given the id
// from the snapshot to another program since.
bool IsVantorImage(std::wstring_view imagePath);

}  // namespace vantor
