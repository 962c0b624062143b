// Messages the page posts, carried out on the window.
#include "app/client_window_win.h"
#include "webhost/co_task_string_win.h"
#include "webhost/page_messages.h"
#include "webhost/page_scripts.h"
#include "webhost/settings_panel.h"

namespace vantor {

namespace {

class WindowMessageHost final : public PageMessageHost {
 public:
  explicit WindowMessageHost(ClientWindow& window) : window_(window) {}
  void SetCaptureActive(bool active) override { window_.captureActive = active; }
  void RunMenuScripts() override {
    WebView* page = window_.Page();
    if (page == nullptr) return;
    page->ExecuteScript(window_.BuildVersionBanner());
    page->ExecuteScript(kExitMenuButtonScript);
    page->ExecuteScript(kClientMenuButtonScript);
    page->ExecuteScript(kMenuTimerScript);
  }
  void ShowSettingsPanel() override { window_.ShowSettingsPanel(); }
  void DestroyMainWindow() override { DestroyWindow(window_.hwnd); }
  void ApplyWindowMode() override { window_.ApplyWindowMode(); }
  Config& Settings() override { return *window_.config; }

 private:
  ClientWindow& window_;
};

}  // namespace

std::wstring ClientWindow::BuildVersionBanner() { return vantor::BuildVersionBanner(version); }

void ClientWindow::ShowSettingsPanel() {
  if (page) page->ExecuteScript(BuildSettingsPanelScript(*config));
}

HRESULT ClientWindow::OnWebMessageReceived(ICoreWebView2WebMessageReceivedEventArgs* args) {
  CoTaskString source;
  CoTaskString text;
  // Anything but a string, or a document whose address is unknown, is ignored.
  if (FAILED(args->get_Source(source.Put())) || source.Empty()) return S_OK;
  if (FAILED(args->TryGetWebMessageAsString(text.Put())) || text.Empty()) return S_OK;
  WindowMessageHost host(*this);
  HandlePageMessage(source.View(), text.View(), host);
  ReportSaveProblem();
  return S_OK;
}

}  // namespace vantor
