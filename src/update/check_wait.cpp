#include "update/check_wait.h"

namespace vantor {

CheckWait::Step CheckWait::TimePassed(int millisecondsSinceCheckStarted) {
  if (decided_) return Step::Ignore;
  if (shown_ || millisecondsSinceCheckStarted < kShowAfterMilliseconds) return Step::Wait;
  shown_ = true;
  return Step::ShowWindow;
}

CheckWait::Step CheckWait::Answered() {
  if (decided_) return Step::Ignore;
  decided_ = true;
  return Step::UseAnswer;
}

CheckWait::Step CheckWait::Pressed() {
  if (decided_ || !shown_) return Step::Ignore;
  decided_ = true;
  return Step::StartWithoutUpdating;
}

}  // namespace vantor
