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

// Reports of an unresponsive renderer (u), a render process exit (x), the
// player's answers (w: wait, l: reload; to the question about the page it
// was asked about) and the question's clock (c), at their times in seconds.
// What each led to: N nothing, R reload, A ask the player; an answer taken
// as w or r, or s when stale; c: 1 when the question closes by itself.
TEST(CrashRecovery, AStuckRendererIsWaitedForThenThePlayerIsAskedOnce) {
  const struct {
    const char* name;
    std::vector<std::pair<int, char>> steps;
    const char* outcome;
  } table[] = {
      {"one report", {{0, 'u'}}, "N"},
      {"every 3 s for 20 s",
       {{0, 'u'}, {3, 'u'}, {6, 'u'}, {9, 'u'}, {12, 'u'}, {15, 'u'}, {18, 'u'}},
       "NNNNANN"},
      {"reports that stop, then a new hitch",
       {{0, 'u'}, {3, 'u'}, {6, 'u'}, {30, 'u'}, {33, 'u'}, {36, 'u'}, {40, 'u'}},
       "NNNNNNA"},
      {"wait, then more reports",
       {{0, 'u'}, {5, 'u'}, {10, 'u'}, {14, 'w'}, {15, 'u'}, {20, 'u'}, {25, 'u'}},
       "NNAwNNA"},
      {"reload, then the new page hangs",
       {{0, 'u'}, {5, 'u'}, {10, 'u'}, {11, 'l'}, {12, 'u'}, {17, 'u'}, {22, 'u'}},
       "NNArNNA"},
      {"a crash ends the hang and is recovered",
       {{0, 'u'}, {5, 'u'}, {8, 'x'}, {9, 'u'}, {15, 'u'}},
       "NNRNN"},
      {"hangs never count toward the crash loop",
       {{0, 'x'}, {1, 'x'}, {2, 'x'}, {3, 'u'}, {6, 'u'}, {9, 'u'}, {13, 'u'}},
       "RRRNNNA"},
      {"reports that stop after the question: it closes",
       {{0, 'u'}, {5, 'u'}, {10, 'u'}, {20, 'c'}, {25, 'c'}, {26, 'c'}, {27, 'w'}},
       "NNA010s"},
      {"wait, then a new hang 5 s later",
       {{0, 'u'}, {5, 'u'}, {10, 'u'}, {12, 'w'}, {17, 'u'}, {22, 'u'}, {27, 'u'}},
       "NNAwNNA"},
      {"reports every 12 s", {{0, 'u'}, {12, 'u'}, {24, 'u'}, {40, 'u'}}, "NANN"},
      {"a crash while asked: the question ends, its answer is stale",
       {{0, 'u'}, {5, 'u'}, {10, 'u'}, {11, 'x'}, {12, 'c'}, {13, 'l'}},
       "NNAR0s"},
      {"a crash while asked, then the reloaded page hangs: asked after its own 10 s",
       {{0, 'u'},
        {5, 'u'},
        {10, 'u'},
        {11, 'x'},
        {12, 'c'},
        {13, 'l'},
        {14, 'u'},
        {19, 'u'},
        {23, 'u'},
        {24, 'u'}},
       "NNAR0sNNNA"},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    CrashRecovery recovery;
    int askedAbout = -1;
    std::string outcome;
    for (const auto& [second, event] : row.steps) {
      const std::int64_t now = second * 1000;
      if (event == 'w' || event == 'l') {
        outcome += "rws"[static_cast<int>(recovery.Answered(event == 'l', askedAbout))];
      } else if (event == 'c') {
        outcome += recovery.QuestionOutlived(now) ? '1' : '0';
      } else {
        const A action = recovery.Decide(event == 'u' ? 2 : 1, now);
        if (action == A::AskPlayer) askedAbout = recovery.Page();
        outcome += "NRCGA"[static_cast<int>(action)];
      }
    }
    EXPECT_EQ(outcome, row.outcome);
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
