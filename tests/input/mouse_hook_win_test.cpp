// The low-level mouse hook on a real foreground window, fed with SendInput.
#include "input/mouse_hook_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/client_window_win.h"
#include "app/messages_win.h"
#include "config/config_fixture.h"
#include "input/raw_mouse.h"
#include "support/fake_web_view.h"

namespace vantor {
namespace {

// A hook installed before ours sits after it in the chain: it sees exactly
// what our hook passes on to the rest of the system.
std::vector<WPARAM> g_passedOn;

LRESULT CALLBACK Downstream(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && wParam != WM_MOUSEMOVE) g_passedOn.push_back(wParam);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Pump(int milliseconds) {
  const DWORD until = GetTickCount() + static_cast<DWORD>(milliseconds);
  MSG message;
  while (GetTickCount() < until) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
}

int AnswerMessage(const wchar_t*, const wchar_t*, unsigned) { return IDOK; }

class MouseHookWin : public test::ConfigFixture {
 protected:
  void SetUp() override {
    SetMessageHandlerForTesting(AnswerMessage);
    downstream_ = SetWindowsHookExW(WH_MOUSE_LL, Downstream, nullptr, 0);
    ASSERT_NE(downstream_, nullptr);
    LoadWith(R"({"Raw Input": true})");
    window_ = std::make_unique<ClientWindow>(config.get(), L"2.0.9");
    ASSERT_NE(*window_->hookCell, nullptr);
    window_->hwnd =
        CreateWindowExW(0, kWindowClassName, kWindowTitle, WS_POPUP | WS_VISIBLE, 100, 100, 400,
                        300, nullptr, nullptr, GetModuleHandleW(nullptr), window_.get());
    ASSERT_NE(window_->hwnd, nullptr);
    SetForegroundWindow(window_->hwnd);
    auto page = std::make_unique<test::RecordingWebView>();
    page_ = page.get();
    window_->page = std::move(page);
    SetCursorPos(300, 250);
    Pump(100);
    g_passedOn.clear();
  }
  void TearDown() override {
    if (window_ && window_->hwnd) DestroyWindow(window_->hwnd);  // unhooks ours
    Pump(50);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    UnhookWindowsHookEx(downstream_);
    SetMessageHandlerForTesting(nullptr);
  }

  static void Click() {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
    Pump(200);
  }

  HHOOK downstream_ = nullptr;
  std::unique_ptr<ClientWindow> window_;
  test::RecordingWebView* page_ = nullptr;
};

TEST_F(MouseHookWin, WhileCapturedALeftPressBecomesOneMessageAndIsWithheld) {
  ASSERT_EQ(GetForegroundWindow(), window_->hwnd);
  window_->captureActive = true;
  Click();
  EXPECT_EQ(page_->posted, std::vector<std::wstring>{kMouseDownMessage});
  // The release is passed on; the press never reaches the rest of the system.
  EXPECT_EQ(g_passedOn, std::vector<WPARAM>{WM_LBUTTONUP});
}

TEST_F(MouseHookWin, WithoutCaptureEverythingIsPassedOn) {
  window_->captureActive = false;
  Click();
  EXPECT_TRUE(page_->posted.empty());
  EXPECT_EQ(g_passedOn, (std::vector<WPARAM>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

}  // namespace
}  // namespace vantor
