#pragma once

namespace vantor {

// What start-up does while the update check runs: nothing for the first
// half second (a quick answer shows no window at all), then a window the
// player may leave with "Start without updating". Whatever comes first, the
// answer or the button, decides; what comes after is ignored. A window once
// shown stays at least half a second, so that it never flickers.
class CheckWait {
 public:
  static constexpr int kShowAfterMilliseconds = 500;
  static constexpr int kShownAtLeastMilliseconds = 500;
  enum class Step {
    Wait,                  // nothing to do yet
    ShowWindow,            // "Checking for updates…"
    UseAnswer,             // the check answered: go on with it (closing the window if up)
    StartWithoutUpdating,  // the player pressed the button (or closed the window)
    Ignore,                // already decided
  };
  // Each with the time since the check started.
  Step TimePassed(int milliseconds);
  Step Answered(int milliseconds);
  Step Pressed();
  bool WindowShown() const { return shown_; }

 private:
  Step UseAnswerOnceShownLongEnough(int milliseconds);

  bool shown_ = false;
  int shownAt_ = 0;
  bool answered_ = false;
  bool decided_ = false;
};

}  // namespace vantor
