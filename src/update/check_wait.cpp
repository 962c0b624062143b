#include "update/check_wait.h"

namespace vantor {

CheckWait::Step CheckWait::UseAnswerOnceShownLongEnough(int milliseconds) {
  if (shown_ && milliseconds - shownAt_ < kShownAtLeastMilliseconds) return Step::Wait;
  decided_ = true;
  return Step::UseAnswer;
}

CheckWait::Step CheckWait::TimePassed(int milliseconds) {
  if (decided_) return Step::Ignore;
  if (answered_) return UseAnswerOnceShownLongEnough(milliseconds);
  if (shown_ || milliseconds < kShowAfterMilliseconds) return Step::Wait;
  shown_ = true;
  shownAt_ = milliseconds;
  return Step::ShowWindow;
}

CheckWait::Step CheckWait::Answered(int milliseconds) {
  if (decided_) return Step::Ignore;
  answered_ = true;
  return UseAnswerOnceShownLongEnough(milliseconds);
}

CheckWait::Step CheckWait::Pressed() {
  if (decided_ || !shown_) return Step::Ignore;
  decided_ = true;
  return Step::StartWithoutUpdating;
}

}  // namespace vantor
