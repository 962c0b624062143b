#include "input/raw_mouse.h"

#include <charconv>

namespace vantor {

namespace {

void AppendDecimal(std::wstring& text, std::int32_t value) {
  char digits[12];  // "-2147483648" is the longest
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (const char* c = digits; c != end; ++c) text.push_back(static_cast<wchar_t>(*c));
}

}  // namespace

std::wstring MouseMoveMessage(std::int32_t x, std::int32_t y) {
  std::wstring text;
  text.reserve(56);  // the longest message fits: one allocation per report
  text.append(L"{\"event\":\"mousemove\",\"x\":");
  AppendDecimal(text, x);
  text.append(L",\"y\":");
  AppendDecimal(text, y);
  text.push_back(L'}');
  return text;
}

}  // namespace vantor
