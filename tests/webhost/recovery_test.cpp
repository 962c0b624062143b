#include "webhost/recovery.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

using A = RecoveryAction;

TEST(StartFailure, TransientErrorsAreRetriedOnceOthersEndWithAdvice) {
  const struct {
    StartStep step;
    std::uint32_t error;
    int attempt;
    bool retry;
    const wchar_t* says;  // a part of the message the player must read
  } table[] = {
      {StartStep::Environment, 0x80004004, 1, true, L""},  // E_ABORT: updating
      {StartStep::Controller, 0x8007139F, 1, true, L""},   // ERROR_INVALID_STATE
      {StartStep::Environment, 0x80004004, 2, false, L"Try again in a few minutes."},
      {StartStep::Controller, 0x8007139F, 2, false, L"Try again in a few minutes."},
      {StartStep::Environment, 0x80070002, 1, false,
       L"Vantor could not start the Microsoft Edge WebView2 Runtime (error 0x80070002).\n\nRepair "
       L"or reinstall"},
      {StartStep::Environment, 0x80070005, 1, false,
       L"It cannot write its browser data to\nC:\\Program Files\\Vantor\\cache\n\nMove Vantor to "
       L"a folder you can write to"},
      {StartStep::Controller, 0x80004005, 1, false,
       L"Vantor could not open the game's view in its window (error 0x80004005)."},
      {StartStep::WebView, 0x80004003, 1, false, L"gave Vantor no web view (error 0x80004003)"},
  };
  for (const auto& row : table) {
    const StartFailureDecision decision =
        DecideStartFailure(row.step, row.error, row.attempt, L"C:\\Program Files\\Vantor\\cache");
    SCOPED_TRACE(row.error);
    EXPECT_EQ(decision.retry, row.retry);
    if (row.retry) {
      EXPECT_EQ(decision.message, L"");
    } else {
      EXPECT_NE(decision.message.find(row.says), std::wstring::npos);
    }
  }
}

TEST(CrashRecovery, EachFailureKindGetsItsAction) {
  const struct {
    int kind;
    RecoveryAction action;
  } table[] = {
      {0, A::Recreate},  // browser process exited
      {1, A::Reload},    // render process exited
      {2, A::Reload},    // render process unresponsive
      {3, A::None},      // a frame's renderer: the page goes on
      {4, A::None},      // utility
      {6, A::None},      // GPU: the runtime starts another
      {9, A::None},      // kinds added later
  };
  for (const auto& row : table) {
    CrashRecovery recovery;
    EXPECT_EQ(recovery.Decide(row.kind, 1000), row.action) << row.kind;
  }
}

TEST(CrashRecovery, ThreeRecoveriesAMinuteThenItGivesUp) {
  CrashRecovery recovery;
  EXPECT_EQ(recovery.Decide(1, 0), A::Reload);
  EXPECT_EQ(recovery.Decide(6, 100), A::None);  // not counted
  EXPECT_EQ(recovery.Decide(0, 20000), A::Recreate);
  EXPECT_EQ(recovery.Decide(2, 59999), A::Reload);
  EXPECT_EQ(recovery.Decide(1, 59999), A::GiveUp);
  // A minute after the first, one recovery is free again.
  EXPECT_EQ(recovery.Decide(1, 60000), A::Reload);
  EXPECT_EQ(recovery.Decide(1, 60001), A::GiveUp);
}

TEST(CrashRecovery, SpreadOutFailuresAreAlwaysRecovered) {
  CrashRecovery recovery;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(recovery.Decide(1, i * 30000), A::Reload) << i;
}

TEST(CrashRecovery, WhatTheLogAndThePlayerRead) {
  EXPECT_EQ(DescribeRecovery(1, A::Reload), "render process exited: reloading the page");
  EXPECT_EQ(DescribeRecovery(0, A::Recreate), "browser process exited: starting the browser again");
  EXPECT_EQ(DescribeRecovery(2, A::GiveUp),
            "render process unresponsive: too many failures within a minute, giving up");
  EXPECT_EQ(DescribeRecovery(6, A::None),
            "browser helper process failed (kind 6): the runtime recovers it");
  const std::wstring message = CrashLoopMessage(L"C:\\Games\\Vantor\\Vantor.log");
  EXPECT_NE(message.find(L"Vantor stopped restarting it."), std::wstring::npos);
  EXPECT_NE(message.find(L"written in\nC:\\Games\\Vantor\\Vantor.log"), std::wstring::npos);
}

}  // namespace
}  // namespace vantor
