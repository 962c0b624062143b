#include "input/raw_mouse.h"

#include <charconv>
#include <string_view>

namespace vantor {

namespace {

constexpr std::wstring_view kMoveStart = L"{\"event\":\"mousemove\",\"x\":";
constexpr std::wstring_view kMoveMiddle = L",\"y\":";

wchar_t* Append(wchar_t* out, std::wstring_view text) {
  for (wchar_t c : text) *out++ = c;
  return out;
}

wchar_t* AppendDecimal(wchar_t* out, std::int32_t value) {
  char digits[11];  // "-2147483648" is the longest
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (const char* c = digits; c != end; ++c) *out++ = static_cast<wchar_t>(*c);
  return out;
}

}  // namespace

MouseMoveText::MouseMoveText(std::int32_t x, std::int32_t y) noexcept {
  wchar_t* out = Append(text_, kMoveStart);
  out = AppendDecimal(out, x);
  out = Append(out, kMoveMiddle);
  out = AppendDecimal(out, y);
  *out++ = L'}';
  *out = L'\0';
}

}  // namespace vantor
