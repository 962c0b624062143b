#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace vantor {

// What a download has done so far, shared between the thread that downloads
// and the window that shows it; the window may ask it to stop.
struct DownloadProgress {
  std::atomic<std::uint64_t> received{0};
  std::atomic<std::uint64_t> total{0};  // 0 while the server has not said
  std::atomic<bool> cancelled{false};   // asked by the player
  std::atomic<bool> installing{false};  // the download is done; files are being put in place
};

// A size as a player reads it: "512 B", "1.2 KB", "1.2 MB", "2.6 GB"
// (powers of 1024, one decimal above bytes).
std::wstring SizeText(std::uint64_t bytes);

// What the progress window shows for a number of bytes received of an
// announced total (none, or 0: not known): a bar with a position once the
// total is known, else one that moves without it, and the sizes.
struct ProgressView {
  bool determinate = false;
  int percent = 0;     // 0 to 100, when determinate
  std::wstring sizes;  // "1.2 MB of 2.6 MB", or "1.2 MB" when the total is not known
};
ProgressView DescribeProgress(std::uint64_t received, std::uint64_t total);

}  // namespace vantor
