// What the start shows while the update check runs, and what the download's
// window reads.
#include <gtest/gtest.h>

#include "common/text.h"
#include "update/check_wait.h"
#include "update/download_progress.h"

namespace vantor {
namespace {

// Each sequence of what happens at the given milliseconds ('t' time passes,
// 'a' the check answers, 'p' the player presses) against what the start does:
// W wait, S show the window, U use the answer, N start without updating,
// I ignore.
TEST(CheckWait, TheAnswerOrThePlayerDecidesAndNothingFlashes) {
  const struct {
    const char* name;
    std::vector<std::pair<char, int>> events;
    const char* steps;
  } table[] = {
      {"a quick answer", {{'t', 100}, {'a', 150}, {'t', 600}}, "WUI"},
      {"an answer at 499 ms", {{'t', 250}, {'t', 499}, {'a', 499}}, "WWU"},
      {"a slow answer", {{'t', 499}, {'t', 500}, {'t', 900}, {'a', 1000}, {'p', 0}}, "WSWUI"},
      {"the player does not wait", {{'t', 700}, {'p', 0}, {'a', 800}, {'t', 9000}}, "SNII"},
      {"no button before the window", {{'p', 0}, {'t', 800}, {'a', 1400}}, "ISU"},
      // Shown at 520 ms: an answer at 600 keeps it up until 1020.
      {"no flicker", {{'t', 520}, {'a', 600}, {'t', 1019}, {'p', 0}, {'a', 1100}}, "SWWNI"},
      {"up long enough", {{'t', 520}, {'a', 600}, {'t', 1020}, {'p', 0}}, "SWUI"},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    CheckWait wait;
    std::string steps;
    for (const auto& [kind, milliseconds] : row.events) {
      const CheckWait::Step step = kind == 't'   ? wait.TimePassed(milliseconds)
                                   : kind == 'a' ? wait.Answered(milliseconds)
                                                 : wait.Pressed();
      steps += "WSUNI"[static_cast<int>(step)];
    }
    EXPECT_EQ(steps, row.steps);
  }
}

TEST(DownloadProgress, SizesAndTheBarForKnownUnknownAndZeroLengths) {
  const struct {
    std::uint64_t received, total;
    bool determinate;
    int percent;
    const char* sizes;
  } table[] = {
      {0, 2726298, true, 0, "0 B of 2.6 MB"},
      {1258291, 2726298, true, 46, "1.2 MB of 2.6 MB"},
      {2726298, 2726298, true, 100, "2.6 MB of 2.6 MB"},
      {1023, 1048575, true, 0, "1023 B of 1.0 MB"},  // rounded as shown
      {1048576, 1048576, true, 100, "1.0 MB of 1.0 MB"},
      {5368709120, 0, false, 0, "5.0 GB"},
      {3000, 0, false, 0, "2.9 KB"},
      {0, 0, false, 0, "0 B"},
      {4096, 1024, true, 100, "4.0 KB of 1.0 KB"},             // a server that said too little
      {4831838208, 5368709120, true, 90, "4.5 GB of 5.0 GB"},  // past 32 bits
  };
  for (const auto& row : table) {
    const ProgressView view = DescribeProgress(row.received, row.total);
    EXPECT_EQ(view.determinate, row.determinate) << row.sizes;
    EXPECT_EQ(view.percent, row.percent) << row.sizes;
    EXPECT_EQ(WideToUtf8(view.sizes), row.sizes);
  }
  // The transfer counts in 32 bits; the count goes on past 4 GiB.
  EXPECT_EQ(Widen32(0, 4096), 4096u);
  EXPECT_EQ(Widen32(0xFFFFF000u, 0x1000), 0x100001000u);
  EXPECT_EQ(Widen32(0x100001000u, 0x2000), 0x100002000u);
}

}  // namespace
}  // namespace vantor
