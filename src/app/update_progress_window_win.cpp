#include "app/update_windows_win.h"

#include <objbase.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cwctype>
#include <memory>
#include <thread>

#include "app/messages_win.h"
#include "common/text.h"
#include "update/download_progress.h"

namespace vantor {

namespace {

// How long a cancelled download may take to stop before the window closes
// anyway (the transfer then ends in the background and installs nothing).
constexpr int kCancelGraceMilliseconds = 1500;

// Shared by the window and the worker, which may outlive the window.
struct InstallExchange {
  DownloadProgress progress;
  std::atomic<bool> finished{false};
  UpdateEnd end;                      // written before `finished`
  std::atomic<HWND> window{nullptr};  // while the window is up
};

constexpr wchar_t kInstalling[] = L"Installing the update";

// Cancel no longer applies: said in the window, from any thread.
void ShowInstalling(HWND window, bool fromAnotherThread) {
  const auto send = [&](UINT message, WPARAM wParam, LPARAM lParam) {
    if (!fromAnotherThread) {
      SendMessageW(window, message, wParam, lParam);
      return;
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 1000, &ignored);
  };
  send(TDM_ENABLE_BUTTON, IDCANCEL, FALSE);
  send(TDM_SET_ELEMENT_TEXT, TDE_MAIN_INSTRUCTION, reinterpret_cast<LPARAM>(kInstalling));
  send(TDM_SET_PROGRESS_BAR_POS, 100, 0);
}

struct InstallDialog {
  std::shared_ptr<InstallExchange> exchange;
  bool marquee = true;
  bool installingShown = false;
  bool failureShown = false;
  std::wstring sizes;
  std::chrono::steady_clock::time_point cancelledAt{};
  std::wstring failureText;
  TASKDIALOGCONFIG failurePage{};
  TASKDIALOG_BUTTON failureButton{IDOK, L"&Start the game"};
};

HRESULT CALLBACK OnInstallDialog(HWND, UINT, WPARAM, LPARAM, LONG_PTR);

void SetText(HWND window, TASKDIALOG_ELEMENTS element, const wchar_t* text) {
  SendMessageW(window, TDM_SET_ELEMENT_TEXT, element, reinterpret_cast<LPARAM>(text));
}

// The same window, in words: what failed and that the game starts as it is.
void ShowFailure(HWND window, InstallDialog& dialog) {
  dialog.failureShown = true;
  std::wstring why = Utf8ToWide(dialog.exchange->end.why);
  if (!why.empty()) why[0] = static_cast<wchar_t>(towupper(why[0]));
  dialog.failureText = why + L". Vantor starts with the current version.";
  TASKDIALOGCONFIG& page = dialog.failurePage;
  page.cbSize = sizeof page;
  page.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
  page.pszWindowTitle = L"Vantor Update";
  page.pszMainIcon = TD_WARNING_ICON;
  page.pszMainInstruction = L"The update did not complete";
  page.pszContent = dialog.failureText.c_str();
  page.pButtons = &dialog.failureButton;
  page.cButtons = 1;
  page.pfCallback = &OnInstallDialog;
  page.lpCallbackData = reinterpret_cast<LONG_PTR>(&dialog);
  SendMessageW(window, TDM_NAVIGATE_PAGE, 0, reinterpret_cast<LPARAM>(&page));
}

void ShowProgress(HWND window, InstallDialog& dialog) {
  InstallExchange& exchange = *dialog.exchange;
  const bool cancelling = exchange.progress.Cancelled();
  if (exchange.finished ||
      (cancelling && std::chrono::steady_clock::now() - dialog.cancelledAt >
                         std::chrono::milliseconds(kCancelGraceMilliseconds))) {
    if (exchange.finished && exchange.end.kind == UpdateEnd::Kind::NotInstalled && !cancelling) {
      ShowFailure(window, dialog);
    } else {
      SendMessageW(window, TDM_CLICK_BUTTON, IDCANCEL, 0);
    }
    return;
  }
  if (exchange.progress.Installing()) {
    if (!dialog.installingShown) {
      dialog.installingShown = true;
      ShowInstalling(window, false);
    }
    return;
  }
  const ProgressView view = DescribeProgress(exchange.progress.received, exchange.progress.total);
  if (view.determinate && dialog.marquee) {
    dialog.marquee = false;
    SendMessageW(window, TDM_SET_MARQUEE_PROGRESS_BAR, FALSE, 0);
    SendMessageW(window, TDM_SET_PROGRESS_BAR_RANGE, 0, MAKELPARAM(0, 100));
  }
  if (view.determinate) SendMessageW(window, TDM_SET_PROGRESS_BAR_POS, view.percent, 0);
  if (view.sizes != dialog.sizes) {
    dialog.sizes = view.sizes;
    // In place: the window keeps its layout and the buttons stay put.
    SendMessageW(window, TDM_UPDATE_ELEMENT_TEXT, TDE_CONTENT,
                 reinterpret_cast<LPARAM>(dialog.sizes.c_str()));
  }
}

HRESULT CALLBACK OnInstallDialog(HWND window, UINT note, WPARAM, LPARAM, LONG_PTR data) {
  auto& dialog = *reinterpret_cast<InstallDialog*>(data);
  try {
    switch (note) {
      case TDN_CREATED:
        SetProgramIcon(window);
        SendMessageW(window, TDM_SET_PROGRESS_BAR_MARQUEE, TRUE, 0);
        dialog.exchange->window = window;
        return S_OK;
      case TDN_DESTROYED:
        dialog.exchange->window = nullptr;
        return S_OK;
      case TDN_TIMER:
        if (!dialog.failureShown) ShowProgress(window, dialog);
        return S_OK;
      case TDN_BUTTON_CLICKED: {
        InstallExchange& exchange = *dialog.exchange;
        if (dialog.failureShown || exchange.finished || exchange.progress.Cancelled()) return S_OK;
        // Cancel, Esc or the close box. Once installing began, files are
        // moving: refused, and the window says so.
        if (!exchange.progress.Cancel()) {
          if (!dialog.installingShown) {
            dialog.installingShown = true;
            ShowInstalling(window, false);
          }
          return S_FALSE;
        }
        // The download stops at its next bytes; nothing is installed.
        dialog.cancelledAt = std::chrono::steady_clock::now();
        SetText(window, TDE_MAIN_INSTRUCTION, L"Cancelling the download");
        SendMessageW(window, TDM_ENABLE_BUTTON, IDCANCEL, FALSE);
        return S_FALSE;
      }
      default:
        return S_OK;
    }
  } catch (...) {
    return S_OK;  // nothing leaves a callback of Windows'
  }
}

}  // namespace

UpdateEnd InstallWithWindow(const std::function<UpdateEnd(DownloadProgress&)>& install) {
  auto exchange = std::make_shared<InstallExchange>();
  // Before the first file changes, the window shows that Cancel is over.
  InstallExchange* shared = exchange.get();
  exchange->progress.onInstalling = [shared] {
    if (HWND window = shared->window) ShowInstalling(window, true);
  };
  ++UpdateWorkersRunning();
  std::thread worker([exchange, install] {
    // urlmon wants COM on the thread that downloads.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    try {
      exchange->end = install(exchange->progress);
    } catch (...) {
      exchange->end = {UpdateEnd::Kind::NotInstalled, "an error stopped it"};
    }
    if (SUCCEEDED(com)) CoUninitialize();
    exchange->finished = true;
    --UpdateWorkersRunning();
  });
  InstallDialog dialog;
  dialog.exchange = exchange;
  dialog.sizes = DescribeProgress(0, 0).sizes;
  const TASKDIALOG_BUTTON buttons[] = {{IDCANCEL, L"Cancel"}};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.dwFlags =
      TDF_ALLOW_DIALOG_CANCELLATION | TDF_CALLBACK_TIMER | TDF_SHOW_MARQUEE_PROGRESS_BAR;
  config.pszWindowTitle = L"Vantor Update";
  config.pszMainInstruction = L"Downloading the update";
  config.pszContent = dialog.sizes.c_str();
  config.pButtons = buttons;
  config.cButtons = 1;
  config.pfCallback = &OnInstallDialog;
  config.lpCallbackData = reinterpret_cast<LONG_PTR>(&dialog);
  const TaskDialogCall taskDialog = TaskDialogFunction();
  const bool shown =
      taskDialog != nullptr && SUCCEEDED(taskDialog(&config, nullptr, nullptr, nullptr));
  if (!shown || exchange->finished) {
    worker.join();
  } else {
    worker.detach();  // cancelled and still stopping: it installs nothing
    return {UpdateEnd::Kind::Cancelled, {}};
  }
  if (!shown && exchange->end.kind == UpdateEnd::Kind::NotInstalled) {
    const std::wstring text = L"The update did not complete: " + Utf8ToWide(exchange->end.why) +
                              L".\n\nVantor starts with the current version.";
    ShowMessage(text.c_str(), L"Vantor Update", MB_ICONWARNING);
  }
  return exchange->end;
}

}  // namespace vantor
