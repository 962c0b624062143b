#include "input/shortcut_keys.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(ShortcutRoutes, ReleaseBitAndMessageRules) {
  EXPECT_TRUE(IsKeyRelease(0xC0000001));   // key-up
  EXPECT_TRUE(IsKeyRelease(-1073741823));  // the same bits, sign-extended
  EXPECT_FALSE(IsKeyRelease(0x00000001));  // key-down
  EXPECT_FALSE(IsKeyRelease(0x40000001));  // auto-repeat
  for (unsigned key : {kKeyF4, kKeyF5, kKeyF6, kKeyF11}) {
    EXPECT_TRUE(IsKeyUpShortcut(key));
    EXPECT_FALSE(IsSysKeyUpShortcut(key));
  }
  EXPECT_FALSE(IsKeyUpShortcut(kKeyF10));  // F10 arrives as a system key
  EXPECT_TRUE(IsSysKeyUpShortcut(kKeyF10));
}

}  // namespace
}  // namespace vantor
