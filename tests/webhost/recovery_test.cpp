#include "webhost/recovery.h"

#include <gtest/gtest.h>

#include <vector>

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
      {2, A::None},      // render process unresponsive: wait
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
  EXPECT_EQ(recovery.Decide(2, 50000), A::None);  // a hang is no crash: not counted
  EXPECT_EQ(recovery.Decide(1, 59999), A::Reload);
  EXPECT_EQ(recovery.Decide(1, 59999), A::GiveUp);
  // A minute after the first, one recovery is free again.
  EXPECT_EQ(recovery.Decide(1, 60000), A::Reload);
  EXPECT_EQ(recovery.Decide(1, 60001), A::GiveUp);
}

// Reports of an unresponsive renderer (u), a render process exit (x) and the
// player's answers (w: wait, l: reload), at their times in seconds.
TEST(CrashRecovery, AStuckRendererIsWaitedForThenThePlayerIsAskedOnce) {
  struct Step {
    int second;
    char event;
    A expected;  // for u and x
  };
  const struct {
    const char* name;
    std::vector<Step> steps;
  } table[] = {
      {"one report", {{0, 'u', A::None}}},
      {"every 3 s for 20 s",
       {{0, 'u', A::None},
        {3, 'u', A::None},
        {6, 'u', A::None},
        {9, 'u', A::None},
        {12, 'u', A::AskPlayer},
        {15, 'u', A::None},
        {18, 'u', A::None}}},
      {"reports that stop, then a new hitch",
       {{0, 'u', A::None},
        {3, 'u', A::None},
        {6, 'u', A::None},
        {30, 'u', A::None},
        {33, 'u', A::None},
        {36, 'u', A::None},
        {40, 'u', A::AskPlayer}}},
      {"wait, then more reports",
       {{0, 'u', A::None},
        {5, 'u', A::None},
        {10, 'u', A::AskPlayer},
        {14, 'w', A::None},
        {15, 'u', A::None},
        {20, 'u', A::None},
        {24, 'u', A::AskPlayer}}},
      {"reload, then the new page hangs",
       {{0, 'u', A::None},
        {5, 'u', A::None},
        {10, 'u', A::AskPlayer},
        {11, 'l', A::None},
        {12, 'u', A::None},
        {17, 'u', A::None},
        {22, 'u', A::AskPlayer}}},
      {"a crash ends the hang and is recovered",
       {{0, 'u', A::None},
        {5, 'u', A::None},
        {8, 'x', A::Reload},
        {9, 'u', A::None},
        {15, 'u', A::None}}},
      {"hangs never count toward the crash loop",
       {{0, 'x', A::Reload},
        {1, 'x', A::Reload},
        {2, 'x', A::Reload},
        {3, 'u', A::None},
        {6, 'u', A::None},
        {9, 'u', A::None},
        {13, 'u', A::AskPlayer}}},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    CrashRecovery recovery;
    for (const Step& step : row.steps) {
      const std::int64_t now = step.second * 1000;
      if (step.event == 'w' || step.event == 'l') {
        recovery.Answered(step.event == 'l', now);
      } else {
        EXPECT_EQ(recovery.Decide(step.event == 'u' ? 2 : 1, now), step.expected) << step.second;
      }
    }
  }
}

TEST(CrashRecovery, SpreadOutFailuresAreAlwaysRecovered) {
  CrashRecovery recovery;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(recovery.Decide(1, i * 30000), A::Reload) << i;
}

TEST(CrashRecovery, WhatTheLogAndThePlayerRead) {
  EXPECT_EQ(DescribeRecovery(1, A::Reload), "render process exited: reloading the page");
  EXPECT_EQ(DescribeRecovery(0, A::Recreate), "browser process exited: starting the browser again");
  EXPECT_EQ(DescribeRecovery(2, A::None), "render process unresponsive: waiting for it");
  EXPECT_EQ(DescribeRecovery(2, A::AskPlayer),
            "render process unresponsive for a while: asking the player whether to reload");
  EXPECT_EQ(DescribeRecovery(6, A::None),
            "browser helper process failed (kind 6): the runtime recovers it");
  const std::wstring message = CrashLoopMessage(L"C:\\Games\\Vantor\\Vantor.log");
  EXPECT_NE(message.find(L"Vantor stopped restarting it."), std::wstring::npos);
  EXPECT_NE(message.find(L"written in\nC:\\Games\\Vantor\\Vantor.log"), std::wstring::npos);
}

}  // namespace
}  // namespace vantor
