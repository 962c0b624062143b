#include "app/update_windows_win.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "app/messages_win.h"
#include "update/check_wait.h"

namespace vantor {

namespace {

constexpr int kStartWithoutUpdating = 100;

// What the check's worker hands back. Shared, because the worker outlives
// the wait when the player does not wait for it.
struct CheckExchange {
  std::mutex lock;
  bool done = false;
  UpdateCheckOutcome outcome;
  HANDLE answered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ~CheckExchange() {
    if (answered != nullptr) CloseHandle(answered);
  }
};

struct CheckDialog {
  std::shared_ptr<CheckExchange> exchange;
  CheckWait wait;
  bool answerDecided = false;  // else the player did
};

HRESULT CALLBACK OnCheckDialog(HWND window, UINT note, WPARAM wParam, LPARAM, LONG_PTR data) {
  auto& dialog = *reinterpret_cast<CheckDialog*>(data);
  switch (note) {
    case TDN_CREATED:
      SetProgramIcon(window);
      return S_OK;
    case TDN_TIMER:
      if (WaitForSingleObject(dialog.exchange->answered, 0) == WAIT_OBJECT_0 &&
          dialog.wait.Answered() == CheckWait::Step::UseAnswer) {
        dialog.answerDecided = true;
        SendMessageW(window, TDM_CLICK_BUTTON, IDCANCEL, 0);  // closes the window
      }
      return S_OK;
    case TDN_BUTTON_CLICKED:
      (void)wParam;  // the button, or closing the window: both start without updating
      dialog.wait.Pressed();
      return S_OK;
    default:
      return S_OK;
  }
}

// Shows "Checking for updates…" until the answer or the player decides.
void ShowCheckWindow(TaskDialogCall taskDialog, CheckDialog& dialog) {
  const TASKDIALOG_BUTTON buttons[] = {{kStartWithoutUpdating, L"&Start without updating"}};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_CALLBACK_TIMER;
  config.pszWindowTitle = L"Vantor";
  config.pszContent = L"Checking for updates\u2026";
  config.pButtons = buttons;
  config.cButtons = 1;
  config.pfCallback = &OnCheckDialog;
  config.lpCallbackData = reinterpret_cast<LONG_PTR>(&dialog);
  if (FAILED(taskDialog(&config, nullptr, nullptr, nullptr))) {
    dialog.answerDecided = dialog.wait.Answered() == CheckWait::Step::UseAnswer;
  }
}

}  // namespace

std::optional<UpdateCheckOutcome> CheckWithWindow(const UpdateServer& server,
                                                  const std::string& version) {
  const auto started = std::chrono::steady_clock::now();
  auto exchange = std::make_shared<CheckExchange>();
  ++UpdateWorkersRunning();
  try {
    std::thread([exchange, server, version] {
      UpdateCheckOutcome outcome;
      try {
        outcome = AskUpdateServer(server, version);
      } catch (...) {
        outcome.logLine = "update check: stopped by an error";
      }
      {
        const std::lock_guard<std::mutex> hold(exchange->lock);
        exchange->outcome = std::move(outcome);
        exchange->done = true;
      }
      SetEvent(exchange->answered);
      --UpdateWorkersRunning();
    }).detach();
  } catch (...) {
    --UpdateWorkersRunning();  // no thread: ask here, without a window
    return AskUpdateServer(server, version);
  }
  CheckDialog dialog{exchange, {}, true};
  if (WaitForSingleObject(exchange->answered, CheckWait::kShowAfterMilliseconds) != WAIT_OBJECT_0) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    const TaskDialogCall taskDialog = TaskDialogFunction();
    if (taskDialog != nullptr &&
        dialog.wait.TimePassed(static_cast<int>(elapsed.count())) == CheckWait::Step::ShowWindow) {
      dialog.answerDecided = false;
      ShowCheckWindow(taskDialog, dialog);
    }
  }
  if (!dialog.answerDecided) return std::nullopt;
  WaitForSingleObject(exchange->answered, INFINITE);  // no window, or it closed on the answer
  const std::lock_guard<std::mutex> hold(exchange->lock);
  return exchange->outcome;
}

std::atomic<int>& UpdateWorkersRunning() {
  static std::atomic<int> running{0};
  return running;
}

}  // namespace vantor
