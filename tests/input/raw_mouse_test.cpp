#include "input/raw_mouse.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantor {
namespace {

struct Case {
  const char* name;
  RawMouseReport report;
  std::vector<std::wstring> messages;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class RawMouse : public ::testing::TestWithParam<Case> {};

TEST_P(RawMouse, ReportBecomesItsMessagesInOrder) {
  std::vector<std::wstring> posted;
  ForwardRawMouse(GetParam().report, [&](const wchar_t* m) { posted.emplace_back(m); });
  EXPECT_EQ(posted, GetParam().messages);
}

const std::wstring kUp = L"{\"event\":\"wheel\",\"deltaY\":120}";
const std::wstring kDown = L"{\"event\":\"wheel\",\"deltaY\":-120}";
std::wstring Move(const wchar_t* x, const wchar_t* y) {
  return std::wstring(L"{\"event\":\"mousemove\",\"x\":") + x + L",\"y\":" + y + L"}";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RawMouse,
    ::testing::Values(
        Case{"move", {0, 0, 0, -3, 7}, {Move(L"-3", L"7")}},
        Case{"zero_move", {0, 0, 0, 0, 0}, {Move(L"0", L"0")}},
        Case{"extremes", {0, 0, 0, INT32_MIN, INT32_MAX}, {Move(L"-2147483648", L"2147483647")}},
        Case{"both_minimum",
             {0, 0, 0, INT32_MIN, INT32_MIN},
             {Move(L"-2147483648", L"-2147483648")}},
        Case{"plus_minus_one", {0, 0, 0, 1, -1}, {Move(L"1", L"-1")}},
        Case{"wheel_report_moves_first", {0, 0x0400, 120, 0, 0}, {Move(L"0", L"0"), kUp}},
        Case{"wheel_toward_user", {0, 0x0400, -120, 1, 2}, {Move(L"1", L"2"), kDown}},
        Case{"two_notches", {0, 0x0400, -240, 0, 0}, {Move(L"0", L"0"), kDown}},
        Case{"high_resolution_fraction", {0, 0x0400, 30, 0, 0}, {Move(L"0", L"0"), kUp}},
        Case{"zero_wheel_data", {0, 0x0400, 0, 5, 5}, {Move(L"5", L"5")}},
        Case{"absolute_no_move", {0x0001, 0x0400, 120, 500, 500}, {kUp}},
        Case{"wheel_with_button", {0, 0x0401, 120, 0, 0}, {Move(L"0", L"0")}},
        Case{"horizontal_wheel", {0, 0x0800, 120, 0, 0}, {Move(L"0", L"0")}},
        Case{"absolute_button_only", {0x0001, 0x0001, 0, 0, 0}, {}},
        // Movement only for plain relative reports: flags exactly 0.
        Case{"absolute_move", {0x0001, 0, 0, 5, 5}, {}},
        Case{"virtual_desktop_move", {0x0002, 0, 0, 5, 5}, {}},
        Case{"attributes_changed_move", {0x0004, 0, 0, 5, 5}, {}},
        Case{"absolute_virtual_desktop_move", {0x0003, 0, 0, 5, 5}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RawInputInterception, OnlyWmInputWithTheSettingAndCapture) {
  EXPECT_TRUE(ShouldConsumeRawInput(true, kWmInput, true));
  EXPECT_FALSE(ShouldConsumeRawInput(false, kWmInput, true));
  EXPECT_FALSE(ShouldConsumeRawInput(true, kWmInput, false));
  EXPECT_FALSE(ShouldConsumeRawInput(true, 0x0200, true));
}

}  // namespace
}  // namespace vantor
