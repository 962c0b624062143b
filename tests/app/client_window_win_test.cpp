// Real windows under Wine (or Windows): the class, the window, its modes and
// its message handling, driven through ClientWindow::Run.
#include "app/client_window_win.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/messages_win.h"
#include "app/window_mode.h"
#include "config/config_fixture.h"

namespace vantor {
namespace {

std::vector<std::wstring> g_messages;

int RecordMessage(const wchar_t* text, const wchar_t*, unsigned) {
  g_messages.push_back(text);
  return IDOK;
}

// Runs `check` from inside the window's own message loop, once the window is
// up, then destroys the window so that Run returns.
std::function<void(HWND)> g_check;

void CALLBACK RunCheckThenDestroy(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND window = FindWindowW(kWindowClassName, kWindowTitle);
  if (window != nullptr && g_check) g_check(window);
  if (window != nullptr) DestroyWindow(window);
}

class ClientWindowTest : public test::ConfigFixture {
 protected:
  void SetUp() override {
    g_messages.clear();
    SetMessageHandlerForTesting(RecordMessage);
  }
  void TearDown() override {
    SetMessageHandlerForTesting(nullptr);
    g_check = nullptr;
  }

  // Constructs the window object and runs it with `check` inside the loop.
  int RunWith(std::function<void(HWND)> check) {
    ClientWindow window(config.get(), L"2.0.9");
    window_ = &window;
    g_check = std::move(check);
    SetTimer(nullptr, 0, 50, RunCheckThenDestroy);
    const int code = window.Run();
    window_ = nullptr;
    return code;
  }

  // The style as set, less the bits Windows manages itself: visibility, and
  // the sibling clipping it forces on every top-level window.
  static LONG_PTR StyleWithoutVisibility(HWND hwnd) {
    return GetWindowLongPtrW(hwnd, GWL_STYLE) &
           ~static_cast<LONG_PTR>(WS_VISIBLE | WS_CLIPSIBLINGS);
  }
  static RECT Rect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
  }
  void ExpectPlacement(HWND hwnd) {
    const WindowPlacement want = ComputeWindowPlacement(*config, GetSystemMetrics(SM_CXSCREEN),
                                                        GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(StyleWithoutVisibility(hwnd), static_cast<LONG_PTR>(want.style));
    const RECT r = Rect(hwnd);
    EXPECT_EQ(r.left, want.x);
    EXPECT_EQ(r.top, want.y);
    EXPECT_EQ(r.right - r.left, want.width);
    EXPECT_EQ(r.bottom - r.top, want.height);
  }

  ClientWindow* window_ = nullptr;
};

TEST_F(ClientWindowTest, RegistersTheClassAndRunsUntilDestroyedWithExitCodeZero) {
  Load();
  bool checked = false;
  const int code = RunWith([&](HWND hwnd) {
    checked = true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kWindowClassName, &wc));
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(window_->hwnd, hwnd);
    EXPECT_EQ(reinterpret_cast<ClientWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)), window_);
    EXPECT_EQ(g_clientWindow, window_);
  });
  EXPECT_TRUE(checked);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(g_messages.empty()) << "the mouse hook could not be installed";
}

TEST_F(ClientWindowTest, FullscreenWithoutSettingsCoversTheScreen) {
  Load();
  RunWith([&](HWND hwnd) {
    EXPECT_EQ(StyleWithoutVisibility(hwnd), static_cast<LONG_PTR>(WS_POPUP));
    const RECT r = Rect(hwnd);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));
  });
}

TEST_F(ClientWindowTest, ModesReplaceTheWholeStyleBackAndForth) {
  LoadWith(R"({"Fullscreen Mode": false})");
  RunWith([&](HWND hwnd) {
    EXPECT_EQ(StyleWithoutVisibility(hwnd), static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
    ExpectPlacement(hwnd);
    config->SetBool("Fullscreen Mode", true);
    config->SetBool("Shadowplay Mode", true);
    window_->ApplyWindowMode();
    EXPECT_EQ(StyleWithoutVisibility(hwnd), static_cast<LONG_PTR>(WS_POPUP));
    ExpectPlacement(hwnd);
    config->SetBool("Fullscreen Mode", false);
    window_->ApplyWindowMode();
    EXPECT_EQ(StyleWithoutVisibility(hwnd), static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
    ExpectPlacement(hwnd);
  });
}

TEST_F(ClientWindowTest, SizeBeforeTheControllerAndKeyReleasesAnswerZero) {
  Load();
  RunWith([&](HWND hwnd) {
    EXPECT_EQ(window_->controller, nullptr);
    EXPECT_EQ(SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(800, 600)), 0);
    for (WPARAM key : {VK_F1, VK_F4, VK_F5, VK_F6, VK_F10, int{'A'}}) {
      EXPECT_EQ(SendMessageW(hwnd, WM_KEYUP, key, 0xC0000001), 0) << key;
      EXPECT_EQ(SendMessageW(hwnd, WM_SYSKEYUP, key, 0xC0000001), 0) << key;
    }
    // None of those needed a window mode change or wrote a setting.
    EXPECT_FALSE(FileThere());
  });
}

TEST_F(ClientWindowTest, F11OnTheWindowTogglesTheModeAndSavesIt) {
  Load();
  RunWith([&](HWND hwnd) {
    EXPECT_EQ(SendMessageW(hwnd, WM_KEYUP, VK_F11, 0xC0000001), 0);
    EXPECT_EQ(FileBytes(), "{\r\n    \"Fullscreen Mode\": false\r\n}\r\n");
    EXPECT_EQ(StyleWithoutVisibility(hwnd), static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
    // Alt+F11 reaches the window as a system key and does nothing.
    EXPECT_EQ(SendMessageW(hwnd, WM_SYSKEYUP, VK_F11, 0xE0000001), 0);
    EXPECT_EQ(StyleWithoutVisibility(hwnd), static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
  });
}

}  // namespace
}  // namespace vantor
