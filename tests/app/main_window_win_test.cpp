// The main window on a real desktop under Wine (or Windows): its class, its
// modes, the keys it reports, work posted to itself and its exit code.
#include "app/main_window_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace vantor {
namespace {

class RecordingEvents final : public MainWindowEvents {
 public:
  void OnShortcutReleased(unsigned virtualKey) override { keys.push_back(virtualKey); }
  void OnClientAreaChanged() override { ++resized; }
  void OnWindowDestroyed() override { ++destroyed; }
  bool OnRawInput(LPARAM) override { return false; }
  std::vector<unsigned> keys;
  int resized = 0;
  int destroyed = 0;
};

// Runs the thread's message loop until WM_QUIT; returns its code.
int RunLoop() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

// The style as set, less the bits Windows manages itself: visibility, and
// the sibling clipping it forces on every top-level window.
LONG_PTR StyleWithoutVisibility(HWND hwnd) {
  return GetWindowLongPtrW(hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE | WS_CLIPSIBLINGS);
}

struct Rect {
  LONG left, top, width, height;
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};

Rect WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Rect ClientRect(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

class MainWindowTest : public ::testing::Test {
 protected:
  RecordingEvents events_;
  MainWindow window_{events_};
};

TEST_F(MainWindowTest, RegistersTheClassAndEndsTheLoopWithTheCodeItWasClosedWith) {
  ASSERT_TRUE(window_.Create());
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kWindowClassName, &wc));
  EXPECT_EQ(wc.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  // No "Vantor.ico" in the working folder: the program's own icon, both sizes.
  ASSERT_FALSE(std::filesystem::exists("Vantor.ico"));
  EXPECT_NE(wc.hIcon, nullptr);
  EXPECT_NE(wc.hIconSm, nullptr);
  EXPECT_EQ(FindWindowW(kWindowClassName, kWindowTitle), window_.Handle());
  window_.Show();
  EXPECT_TRUE(IsWindowVisible(window_.Handle()));
  window_.Post([&] { window_.Close(7); });
  EXPECT_EQ(RunLoop(), 7);
  EXPECT_EQ(window_.Handle(), nullptr);
  EXPECT_EQ(events_.destroyed, 1);
}

// On the test display of 1920 x 1080: fullscreen covers it all, with the
// client area too; windowed is 85 % of each side at the top-left corner.
TEST_F(MainWindowTest, ModesReplaceTheWholeStyleAndTheFrameFollows) {
  ASSERT_TRUE(window_.Create());
  window_.Show();
  const HWND hwnd = window_.Handle();
  window_.Place({WS_POPUP, 0, 0, 1920, 1080});
  EXPECT_EQ(StyleWithoutVisibility(hwnd), static_cast<LONG_PTR>(WS_POPUP));
  EXPECT_EQ(WindowRect(hwnd), (Rect{0, 0, 1920, 1080}));
  EXPECT_EQ(ClientRect(hwnd), (Rect{0, 0, 1920, 1080}));

  window_.Place({WS_OVERLAPPEDWINDOW, 0, 0, 1632, 918});
  EXPECT_EQ(StyleWithoutVisibility(hwnd), static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
  EXPECT_EQ(WindowRect(hwnd), (Rect{0, 0, 1632, 918}));
  EXPECT_LT(ClientRect(hwnd).height, 918);  // the title bar and borders are back

  window_.Place({WS_POPUP, 0, 0, 1920, 1081});  // Shadowplay: one pixel taller
  EXPECT_EQ(WindowRect(hwnd), (Rect{0, 0, 1920, 1081}));
  EXPECT_EQ(ClientRect(hwnd), (Rect{0, 0, 1920, 1081}));
  EXPECT_GE(events_.resized, 3);
}

TEST_F(MainWindowTest, ReportsTheShortcutReleasesOfItsOwnRoute) {
  ASSERT_TRUE(window_.Create());
  const HWND hwnd = window_.Handle();
  for (WPARAM key : std::vector<WPARAM>{VK_F1, VK_F4, VK_F5, VK_F6, VK_F10, VK_F11, 0x41}) {
    EXPECT_EQ(SendMessageW(hwnd, WM_KEYUP, key, 0xC0000001), 0) << key;
    EXPECT_EQ(SendMessageW(hwnd, WM_SYSKEYUP, key, 0xE0000001), 0) << key;
    SendMessageW(hwnd, WM_KEYDOWN, key, 0x00000001);
  }
  // F10 arrives as a system key; Alt with the others does nothing.
  EXPECT_EQ(events_.keys, (std::vector<unsigned>{VK_F4, VK_F5, VK_F6, VK_F10, VK_F11}));
}

TEST_F(MainWindowTest, PostedWorkRunsLaterInOrderAndNotAfterTheWindowIsGone) {
  ASSERT_TRUE(window_.Create());
  std::vector<int> ran;
  window_.Post([&] { ran.push_back(1); });
  window_.Post([&] {
    ran.push_back(2);
    window_.Close(0);
  });
  window_.Post([&] { ran.push_back(3); });  // after the close: dropped
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(RunLoop(), 0);
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace vantor
