#include "app/client_window_win.h"

#include <filesystem>

#include "app/messages_win.h"
#include "app/startup.h"
#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "common/writable_folder.h"

namespace vantor {

namespace {

// The browser's data beside the program, or in the player's own folder when
// the program's folder cannot be written (under Program Files, for example).
std::wstring ChooseUserDataFolder() {
  const std::filesystem::path beside = std::filesystem::path(GetExecutableFolder()) / L"cache";
  const std::filesystem::path own = LocalAppDataFolder() / L"cache";
  const auto chosen = FirstWritableFolder({beside, own});
  if (!chosen) {
    applog::Write("browser data: neither " + beside.u8string() + " nor " + own.u8string() +
                  " can be written; the runtime will say why");
    return beside.wstring();
  }
  if (*chosen != beside) {
    applog::Write("browser data: " + beside.u8string() + " cannot be written, using " +
                  chosen->u8string());
  }
  return chosen->wstring();
}

constexpr wchar_t kRawInputFailed[] = L"Failed to start raw input";
constexpr wchar_t kRawInputFailedCaption[] = L"Failed start raw input";
constexpr wchar_t kStuckPageCaption[] = L"The game is not responding";
constexpr wchar_t kStuckPageText[] =
    L"The game's page has not responded for a while. It may still recover, for example "
    L"while a large map loads.\n\nReload the game now, or wait for it?";

}  // namespace

ClientWindow::ClientWindow(Config& config, std::wstring version, const WebViewLoader& loader)
    : config_(config),
      session_(config, std::move(version)),
      window_(*this),
      webHost_(loader, *this,
               [this](std::function<void()> task) { window_.Post(std::move(task)); }),
      mouse_(config, *this) {}

ClientWindow::~ClientWindow() {
  // Normally WM_DESTROY has torn everything down already.
  webHost_.Close();
  mouse_.RemoveHook();
}

int ClientWindow::Run() {
  if (!window_.Create()) {
    ShowWarning(L"Failed to create window");
    return 1;
  }
  mouse_.SetWindow(window_.Handle());
  if (!mouse_.InstallHook()) ShowWarning(L"mouse hook failed");
  window_.Show();
  ApplyWindowMode();
  webHost_.Start(window_.Handle(), ChooseUserDataFolder());
  return RunMessageLoop();
}

int ClientWindow::RunMessageLoop() {
  MSG message{};
  // -1 (an error) ends the loop too, rather than spinning on it.
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Taken here, without a dispatch, for speed; under a message box's own
    // loop the window procedure takes it (OnRawInput). Never both.
    if (mouse_.TakesMessage(message)) {
      try {
        mouse_.Consume(message.lParam);
      } catch (...) {
        // Out of memory for one message: drop it, keep the loop running.
      }
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

void ClientWindow::ApplyWindowMode() {
  window_.Place(ComputeWindowPlacement(config_, GetSystemMetrics(SM_CXSCREEN),
                                       GetSystemMetrics(SM_CYSCREEN)));
}

void ClientWindow::Carry(const Commands& commands) {
  for (const Command& command : commands) {
    switch (command.kind) {
      case CommandKind::Navigate:
        webHost_.Navigate(command.text);
        break;
      case CommandKind::Reload:
        webHost_.Reload();
        break;
      case CommandKind::OpenDevTools:
        webHost_.OpenDevTools();
        break;
      case CommandKind::RunScript:
        webHost_.RunScript(command.text);
        break;
      case CommandKind::SetCapture:
        // Windows drops a low-level hook silently when the UI thread once
        // answered too late; each pointer lock makes sure of it again.
        if (command.on) mouse_.RenewHook();
        mouse_.SetActive(command.on);
        break;
      case CommandKind::ApplyWindowMode:
        ApplyWindowMode();
        break;
      case CommandKind::CloseWindow:
        window_.Close(0);
        break;
      case CommandKind::TellUser:
        window_.Post(
            [text = command.text] { ShowMessage(text.c_str(), kSettingsCaption, MB_ICONWARNING); });
        break;
    }
  }
}

void ClientWindow::OnShortcutReleased(unsigned virtualKey) {
  Carry(session_.OnKeyReleased(virtualKey));
}

void ClientWindow::OnClientAreaChanged() { webHost_.Resize(window_.ClientArea()); }

bool ClientWindow::OnRawInput(LPARAM rawInputHandle) {
  MSG message{};
  message.message = WM_INPUT;
  if (!mouse_.TakesMessage(message)) return false;
  mouse_.Consume(rawInputHandle);
  return true;
}

void ClientWindow::OnWindowDestroyed() {
  webHost_.Close();
  mouse_.RemoveHook();
}

void ClientWindow::OnPageMessage(std::wstring_view sourceUri, std::wstring_view text) {
  Carry(session_.OnPageMessage(sourceUri, text));
}

void ClientWindow::OnDocumentLoaded() {
  mouse_.SetActive(false);  // a new document holds no pointer lock
  if (!mouse_.RegisterRawInput() && !rawInputFailureTold_) {
    rawInputFailureTold_ = true;
    TellAndEnd(kRawInputFailed, kRawInputFailedCaption, 1);
  }
}

void ClientWindow::OnPageLost() { mouse_.SetActive(false); }

void ClientWindow::OnWebHostFailed(const std::wstring& message, const std::wstring& caption,
                                   int exitCode) {
  TellAndEnd(message, caption, exitCode);
}

std::optional<bool> ClientWindow::AskWhetherToReload(const std::function<bool()>& answeredAgain) {
  return AskWithButtons(window_.Handle(), kStuckPageText, kStuckPageCaption, L"Reload the game",
                        L"Wait", answeredAgain);
}

void ClientWindow::CloseQuestion() { vantor::CloseQuestion(); }

void ClientWindow::TellAndEnd(std::wstring message, std::wstring caption, int exitCode) {
  // The code goes with the ending at once: closing the window while the box
  // is up must still end with it.
  window_.SetExitCode(exitCode);
  mouse_.SetActive(false);
  window_.Post([this, message = std::move(message), caption = std::move(caption), exitCode] {
    ShowMessage(message.c_str(), caption.c_str(), MB_ICONWARNING);
    window_.Close(exitCode);
  });
}

void ClientWindow::PostMouseMessage(const wchar_t* json) noexcept { webHost_.PostJson(json); }

}  // namespace vantor
