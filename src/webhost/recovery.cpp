#include "webhost/recovery.h"

#include "common/text.h"

namespace vantor {

namespace {

// Each step as the log names it and as the player is told it failed, in the
// order of StartStep.
struct StepTexts {
  const char* logged;
  const wchar_t* told;
};
constexpr StepTexts kStepTexts[] = {
    {"Creating the WebView2 environment",
     L"Vantor could not start the Microsoft Edge WebView2 Runtime"},
    {"Creating the WebView2 controller", L"Vantor could not open the game's view in its window"},
    {"Getting the web view", L"The Microsoft Edge WebView2 Runtime gave Vantor no web view"},
};

const StepTexts& TextsOf(StartStep step) { return kStepTexts[static_cast<int>(step)]; }

constexpr wchar_t kRepairAdvice[] =
    L"Repair or reinstall the Microsoft Edge WebView2 Runtime (Windows Settings > Apps > "
    L"Installed apps > Microsoft Edge WebView2 Runtime > Modify > Repair), then start Vantor "
    L"again.";
constexpr wchar_t kLaterAdvice[] =
    L"The WebView2 Runtime may be updating itself, or another program is using Vantor's "
    L"browser data. Try again in a few minutes.";

bool IsTransient(std::uint32_t error) {
  return error == kErrorAbort || error == kErrorInvalidState;
}

}  // namespace

const char* StartStepName(StartStep step) { return TextsOf(step).logged; }

StartFailureDecision DecideStartFailure(StartStep step, std::uint32_t error, int attempt,
                                        const std::wstring& userDataFolder) {
  if (IsTransient(error) && attempt < 2) return {true, {}};
  std::wstring message = TextsOf(step).told;
  message += L" (error " + Utf8ToWide(HexCode(error)) + L").\n\n";
  if (error == kErrorAccessDenied) {
    message += L"It cannot write its browser data to\n" + userDataFolder +
               L"\n\nMove Vantor to a folder you can write to (your Documents, for example), "
               L"then start it again.";
  } else if (IsTransient(error)) {
    message += kLaterAdvice;
  } else {
    message += kRepairAdvice;
  }
  return {false, std::move(message)};
}

RecoveryAction CrashRecovery::Decide(int failedKind, std::int64_t nowMilliseconds) {
  RecoveryAction action = RecoveryAction::None;
  switch (static_cast<ProcessFailedKind>(failedKind)) {
    case ProcessFailedKind::BrowserProcessExited:
      action = RecoveryAction::Recreate;
      break;
    case ProcessFailedKind::RenderProcessExited:
      action = RecoveryAction::Reload;
      break;
    case ProcessFailedKind::RenderProcessUnresponsive:
      return DecideUnresponsive(nowMilliseconds);
    default:
      return RecoveryAction::None;
  }
  NewPage();  // a new renderer: any hang, and any question about it, is over
  while (!recent_.empty() && nowMilliseconds - recent_.front() >= window_) recent_.pop_front();
  if (static_cast<int>(recent_.size()) >= max_) return RecoveryAction::GiveUp;
  recent_.push_back(nowMilliseconds);
  return action;
}

void CrashRecovery::NewPage() {
  stuckSince_ = lastStuckReport_ = -1;
  asking_ = false;
  ++page_;
}

// Never counted toward the crash-loop bound: nothing crashed.
RecoveryAction CrashRecovery::DecideUnresponsive(std::int64_t now) {
  if (stuckSince_ < 0 || now - lastStuckReport_ >= kUnresponsiveQuietMilliseconds) {
    stuckSince_ = now;
  }
  lastStuckReport_ = now;
  if (asking_ || now - stuckSince_ < kUnresponsiveAskAfterMilliseconds) {
    return RecoveryAction::None;
  }
  asking_ = true;
  return RecoveryAction::AskPlayer;
}

bool CrashRecovery::QuestionOutlived(std::int64_t nowMilliseconds) {
  if (!asking_ || nowMilliseconds - lastStuckReport_ < kUnresponsiveQuietMilliseconds) {
    return false;
  }
  asking_ = false;
  stuckSince_ = -1;
  return true;
}

StuckPageAnswer CrashRecovery::Answered(bool reload, int page) {
  if (!asking_ || page != page_) return StuckPageAnswer::Stale;
  asking_ = false;
  if (reload) {
    NewPage();
    return StuckPageAnswer::Reload;
  }
  // The next report starts a run of its own; the last real report's time
  // stays, so that a pause still counts from it.
  stuckSince_ = -1;
  return StuckPageAnswer::Wait;
}

std::wstring CrashLoopMessage(const std::wstring& logPath) {
  return L"The game's browser stopped working again and again, so Vantor stopped restarting "
         L"it.\n\nStart Vantor again. If this keeps happening, repair the Microsoft Edge WebView2 "
         L"Runtime and update your graphics driver.\n\nWhat happened is written in\n" +
         logPath;
}

std::string DescribeRecovery(int failedKind, RecoveryAction action) {
  std::string what;
  switch (static_cast<ProcessFailedKind>(failedKind)) {
    case ProcessFailedKind::BrowserProcessExited:
      what = "browser process exited";
      break;
    case ProcessFailedKind::RenderProcessExited:
      what = "render process exited";
      break;
    case ProcessFailedKind::RenderProcessUnresponsive:
      what = "render process unresponsive";
      break;
    default:
      what = "browser helper process failed (kind " + std::to_string(failedKind) + ")";
      break;
  }
  switch (action) {
    case RecoveryAction::None:
      return what + (failedKind == static_cast<int>(ProcessFailedKind::RenderProcessUnresponsive)
                         ? ": waiting for it"
                         : ": the runtime recovers it");
    case RecoveryAction::Reload:
      return what + ": reloading the page";
    case RecoveryAction::Recreate:
      return what + ": starting the browser again";
    case RecoveryAction::AskPlayer:
      return what + " for a while: asking the player whether to reload";
    case RecoveryAction::GiveUp:
      break;
  }
  return what + ": too many failures within a minute, giving up";
}

}  // namespace vantor
