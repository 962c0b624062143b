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
  std::chrono::steady_clock::time_point started;
  CheckWait wait;
  bool answerDecided = false;  // else the player did
};

int MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - start)
                              .count());
}

HRESULT CALLBACK OnCheckDialog(HWND window, UINT note, WPARAM, LPARAM, LONG_PTR data) {
  auto& dialog = *reinterpret_cast<CheckDialog*>(data);
  switch (note) {
    case TDN_CREATED:
      SetProgramIcon(window);
      return S_OK;
    case TDN_TIMER:
      // The answer closes the window, once it has been up long enough not to flicker.
      if (WaitForSingleObject(dialog.exchange->answered, 0) == WAIT_OBJECT_0 &&
          dialog.wait.Answered(MillisecondsSince(dialog.started)) == CheckWait::Step::UseAnswer) {
        dialog.answerDecided = true;
        SendMessageW(window, TDM_CLICK_BUTTON, IDCANCEL, 0);
      }
      return S_OK;
    case TDN_BUTTON_CLICKED:
      // The button, Esc or the close box: all start without updating.
      dialog.wait.Pressed();
      return S_OK;
    default:
      return S_OK;
  }
}

// Shows "Checking for updates…" until the answer or the player decides.
void ShowCheckWindow(TaskDialogCall taskDialog, CheckDialog& dialog) {
  // IDCANCEL, so that Esc and the close box press it everywhere.
  const TASKDIALOG_BUTTON buttons[] = {{IDCANCEL, L"&Start without updating"}};
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
    dialog.answerDecided = true;  // no window after all: wait for the answer
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
  CheckDialog dialog{exchange, started, {}, true};
  if (WaitForSingleObject(exchange->answered, CheckWait::kShowAfterMilliseconds) != WAIT_OBJECT_0) {
    const TaskDialogCall taskDialog = TaskDialogFunction();
    if (taskDialog != nullptr &&
        dialog.wait.TimePassed(MillisecondsSince(started)) == CheckWait::Step::ShowWindow) {
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
