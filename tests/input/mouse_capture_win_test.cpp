// The low-level mouse hook on a real foreground window, fed with SendInput.
#include "input/mouse_capture_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "config/config_fixture.h"

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

class RecordingSink final : public MouseSink {
 public:
  void PostMouseMessage(const wchar_t* json) noexcept override { posted.emplace_back(json); }
  std::vector<std::wstring> posted;
};

class MouseCaptureWin : public test::ConfigFixture {
 protected:
  void SetUp() override {
    downstream_ = SetWindowsHookExW(WH_MOUSE_LL, Downstream, nullptr, 0);
    ASSERT_NE(downstream_, nullptr);
    LoadWith(R"({"Raw Input": true})");
    capture_ = std::make_unique<MouseCapture>(*config, sink_);
    window_ = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"capture", WS_POPUP | WS_VISIBLE, 100, 100,
                              400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    capture_->SetWindow(window_);
    ASSERT_TRUE(capture_->InstallHook());
    SetForegroundWindow(window_);
    SetCursorPos(300, 250);
    Pump(100);
    g_passedOn.clear();
  }
  void TearDown() override {
    capture_.reset();  // unhooks ours
    if (window_) DestroyWindow(window_);
    UnhookWindowsHookEx(downstream_);
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
  HWND window_ = nullptr;
  RecordingSink sink_;
  std::unique_ptr<MouseCapture> capture_;
};

TEST_F(MouseCaptureWin, WhileCapturedALeftPressBecomesOneMessageAndIsWithheld) {
  ASSERT_EQ(GetForegroundWindow(), window_);
  capture_->SetActive(true);
  Click();
  EXPECT_EQ(sink_.posted, std::vector<std::wstring>{L"{\"event\":\"mousedown\",\"button\":0}"});
  // The release is passed on; the press never reaches the rest of the system.
  EXPECT_EQ(g_passedOn, std::vector<WPARAM>{WM_LBUTTONUP});
}

TEST_F(MouseCaptureWin, WithoutCaptureEverythingIsPassedOn) {
  capture_->SetActive(false);
  Click();
  EXPECT_TRUE(sink_.posted.empty());
  EXPECT_EQ(g_passedOn, (std::vector<WPARAM>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

TEST_F(MouseCaptureWin, OneHookAtATimeAndRemovingItReleasesTheCapture) {
  MouseCapture second(*config, sink_);
  EXPECT_FALSE(second.InstallHook());
  capture_->SetActive(true);
  capture_->RemoveHook();
  EXPECT_FALSE(capture_->Active());
  EXPECT_TRUE(second.InstallHook());
  second.RemoveHook();
}

// The loop and the hook follow a change of "Raw Input" from the very next
// message and event: the wheel is withheld only while it is on.
TEST_F(MouseCaptureWin, ARawInputChangeReachesTheNextWmInputAndHookEvent) {
  MSG input{};
  input.message = WM_INPUT;
  MSG other{};
  other.message = WM_MOUSEMOVE;
  const auto turnWheel = [] {
    INPUT wheel{};
    wheel.type = INPUT_MOUSE;
    wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
    wheel.mi.mouseData = WHEEL_DELTA;
    SendInput(1, &wheel, sizeof(INPUT));
    Pump(200);
  };
  EXPECT_FALSE(capture_->TakesMessage(input));
  capture_->SetActive(true);
  EXPECT_TRUE(capture_->TakesMessage(input));
  EXPECT_FALSE(capture_->TakesMessage(other));
  turnWheel();
  EXPECT_TRUE(g_passedOn.empty());
  config->SetBool("Raw Input", false);
  EXPECT_FALSE(capture_->TakesMessage(input));
  turnWheel();
  EXPECT_EQ(g_passedOn, std::vector<WPARAM>{WM_MOUSEWHEEL});
  config->SetBool("Raw Input", true);
  EXPECT_TRUE(capture_->TakesMessage(input));
}

}  // namespace
}  // namespace vantor
