// The mouse path runs at the device's report rate (up to 8,000 reports a
// second, 125 us apart): the message text per raw report, the hook decision
// per desktop mouse event, and the "Raw Input" lookup done for both.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "allocation_counter.h"
#include "config/config.h"
#include "input/mouse_hook.h"
#include "input/raw_mouse.h"

namespace {

// Movement counts that vary like a real mouse's, so no branch is always taken.
std::int32_t Delta(std::int64_t i) { return static_cast<std::int32_t>((i * 7919) % 401) - 200; }

void ReportAllocations(benchmark::State& state, long before) {
  state.counters["allocs/report"] = benchmark::Counter(
      static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations()));
}

// What the raw-input path builds per report: the text in a stack buffer.
void MoveMessage_StackBuffer(benchmark::State& state) {
  std::int64_t i = 0;
  const long before = AllocationCount();
  for (auto _ : state) {
    const vantor::MouseMoveText text(Delta(i), Delta(i + 1));
    benchmark::DoNotOptimize(text.c_str());
    ++i;
  }
  ReportAllocations(state, before);
}
BENCHMARK(MoveMessage_StackBuffer);

// A whole report as the loop forwards it: movement, then a wheel turn.
void ForwardReport_MoveAndWheel(benchmark::State& state) {
  std::int64_t i = 0;
  const long before = AllocationCount();
  for (auto _ : state) {
    const vantor::RawMouseReport report{0, vantor::kRawMouseWheel,
                                        static_cast<std::int16_t>(i % 2 ? 120 : -120), Delta(i),
                                        Delta(i + 1)};
    vantor::ForwardRawMouse(report, [](const wchar_t* json) { benchmark::DoNotOptimize(json); });
    ++i;
  }
  ReportAllocations(state, before);
}
BENCHMARK(ForwardReport_MoveAndWheel);

// Baseline: the object built with the JSON library, dumped, widened.
void MoveMessage_Nlohmann(benchmark::State& state) {
  std::int64_t i = 0;
  const long before = AllocationCount();
  for (auto _ : state) {
    nlohmann::json message = {{"event", "mousemove"}, {"x", Delta(i)}, {"y", Delta(i + 1)}};
    const std::string text = message.dump();
    std::wstring wide(text.begin(), text.end());
    benchmark::DoNotOptimize(wide.data());
    ++i;
  }
  ReportAllocations(state, before);
}
BENCHMARK(MoveMessage_Nlohmann);

// Baseline: a wide string stream.
void MoveMessage_Wostringstream(benchmark::State& state) {
  std::int64_t i = 0;
  const long before = AllocationCount();
  for (auto _ : state) {
    std::wostringstream out;
    out << L"{\"event\":\"mousemove\",\"x\":" << Delta(i) << L",\"y\":" << Delta(i + 1) << L'}';
    std::wstring text = out.str();
    benchmark::DoNotOptimize(text.data());
    ++i;
  }
  ReportAllocations(state, before);
}
BENCHMARK(MoveMessage_Wostringstream);

vantor::MouseHookEvent HookEvent(bool captureActive) {
  vantor::MouseHookEvent e;
  e.message = vantor::kWmMouseMove;
  e.x = 500;
  e.y = 400;
  e.captureActive = captureActive;
  e.window = {0, 0, 1920, 1080};
  e.windowInForeground = true;
  e.rawInput = true;
  return e;
}

void HookDecision_CaptureOff(benchmark::State& state) {
  vantor::MouseHookEvent e = HookEvent(false);
  for (auto _ : state) {
    benchmark::DoNotOptimize(e);
    benchmark::DoNotOptimize(vantor::DecideMouseHook(e));
  }
}
BENCHMARK(HookDecision_CaptureOff);

void HookDecision_CaptureOn(benchmark::State& state) {
  vantor::MouseHookEvent e = HookEvent(true);
  std::int64_t i = 0;
  for (auto _ : state) {
    e.x = 500 + Delta(i++);
    benchmark::DoNotOptimize(e);
    benchmark::DoNotOptimize(vantor::DecideMouseHook(e));
  }
}
BENCHMARK(HookDecision_CaptureOn);

// A document holding all seven keys and a few of the user's.
vantor::Config FullConfig() {
  const auto file = std::filesystem::temp_directory_path() / "vantor-bench-config.json";
  std::ofstream(file) << R"({"Blur Fix": false, "Developer Mode": false, "Fullscreen Mode": true,
    "Raw Input": true, "Shadowplay Mode": false, "Sky Color": "#102030", "Unlimited FPS": true,
    "mine": [1, 2, 3], "zzz": {"a": 1}})";
  vantor::Config config(file);
  std::filesystem::remove(file);
  return config;
}

// Baseline: "Raw Input" looked up in the document through the settings table.
void ConfigLookup_RawInput(benchmark::State& state) {
  const vantor::Config config = FullConfig();
  for (auto _ : state) benchmark::DoNotOptimize(config.Get(vantor::settings::kRawInput));
}
BENCHMARK(ConfigLookup_RawInput);

// As the hook reads it for every event: the cached setting, then the decision
// (compare HookDecision_CaptureOn, the decision alone).
void HookEvent_CachedSetting(benchmark::State& state) {
  const vantor::Config config = FullConfig();
  const vantor::Config* volatile seen = &config;  // no hoisting the load out of the loop
  vantor::MouseHookEvent e = HookEvent(true);
  std::int64_t i = 0;
  const long before = AllocationCount();
  for (auto _ : state) {
    e.x = 500 + Delta(i++);
    e.rawInput = seen->RawInput();
    benchmark::DoNotOptimize(e);
    benchmark::DoNotOptimize(vantor::DecideMouseHook(e));
  }
  ReportAllocations(state, before);
}
BENCHMARK(HookEvent_CachedSetting);

}  // namespace
