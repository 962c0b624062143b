#include "update/download_progress.h"

#include <algorithm>
#include <cwchar>

namespace vantor {

std::wstring SizeText(std::uint64_t bytes) {
  if (bytes < 1024) return std::to_wstring(bytes) + L" B";
  static constexpr const wchar_t* kUnits[] = {L"KB", L"MB", L"GB"};
  double value = static_cast<double>(bytes) / 1024;
  size_t unit = 0;
  // Rounded as shown, so that 1023.96 KB reads "1.0 MB", not "1024.0 KB".
  while (unit + 1 < std::size(kUnits) && value >= 1023.95) {
    value /= 1024;
    ++unit;
  }
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%.1f %ls", value, kUnits[unit]);
  return text;
}

std::uint64_t Widen32(std::uint64_t previous, std::uint32_t reported) {
  std::uint64_t widened = (previous & ~std::uint64_t{0xFFFFFFFF}) | reported;
  if (widened < previous) widened += std::uint64_t{1} << 32;
  return widened;
}

ProgressView DescribeProgress(std::uint64_t received, std::uint64_t total) {
  ProgressView view;
  view.determinate = total > 0;
  if (!view.determinate) {
    view.sizes = SizeText(received);
    return view;
  }
  view.percent = static_cast<int>(std::min<std::uint64_t>(received, total) * 100 / total);
  view.sizes = SizeText(received) + L" of " + SizeText(total);
  return view;
}

}  // namespace vantor
