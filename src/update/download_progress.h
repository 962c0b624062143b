#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace vantor {

// What a download has done so far, shared between the thread that downloads
// and the window that shows it; the window may ask it to stop.
class DownloadProgress {
 public:
  std::atomic<std::uint64_t> received{0};
  std::atomic<std::uint64_t> total{0};  // 0 while the server has not said
  // Called on the installing thread once installing began, before the first
  // file changes: the window shows that Cancel no longer applies.
  std::function<void()> onInstalling;

  // The player's Cancel and the start of the installation are one decision:
  // whichever comes first wins, and the other learns it. True when the
  // download is (now or already) cancelled; false once installing began.
  bool Cancel() { return Move(kCancelled) || state_ == kCancelled; }
  // True when nothing can cancel any more; false when the player cancelled.
  bool BeginInstalling() { return Move(kInstalling) || state_ == kInstalling; }
  bool Cancelled() const { return state_ == kCancelled; }
  bool Installing() const { return state_ == kInstalling; }

 private:
  enum State { kDownloading, kCancelled, kInstalling };
  bool Move(State to) {
    int from = kDownloading;
    return state_.compare_exchange_strong(from, to);
  }
  std::atomic<int> state_{kDownloading};
};

// A byte count that the transfer reports in 32 bits, carried on in 64: each
// report is the count modulo 2^32 and never less than the last one.
std::uint64_t Widen32(std::uint64_t previous, std::uint32_t reported);

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
