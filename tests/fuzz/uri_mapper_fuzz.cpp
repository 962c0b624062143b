// The resource swapper's mapping: whatever the URI, a path it would answer
// from stays inside the swap folder and names no device.
#include <cstdlib>

#include "fuzz_input.h"
#include "webhost/resource_swapper.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckConfined(const std::wstring& path) {
  Check(!path.empty());
  Check(path.front() != L'\\' && path.back() != L'\\');
  Check(path.find(L'/') == std::wstring::npos);
  Check(path.find(L':') == std::wstring::npos);
  Check(path.find(L"\\\\") == std::wstring::npos);
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring segment = path.substr(start, end - start);
    Check(segment != L"." && segment != L"..");
    Check(segment.back() != L'.' && segment.back() != L' ');
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantor;
  const std::wstring uri = fuzz::WideFromBytes(data, size);
  const std::wstring relative = UriToRelativePath(uri);
  Check(relative.size() <= uri.size());
  Check(relative.find(L'?') == std::wstring::npos);
  if (const auto confined = ConfineToSwapFolder(relative)) CheckConfined(*confined);
  // The relative path taken as a URI of its own must hold as well.
  if (const auto confined = ConfineToSwapFolder(uri)) CheckConfined(*confined);
  return 0;
}
