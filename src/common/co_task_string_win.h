#pragma once

#include <objbase.h>

#include <string>
#include <string_view>

namespace vantor {

// A string that WebView2 or the shell hands out, freed with CoTaskMemFree
// exactly once, on every path.
class CoTaskString {
 public:
  CoTaskString() = default;
  ~CoTaskString() { CoTaskMemFree(text_); }
  CoTaskString(const CoTaskString&) = delete;
  CoTaskString& operator=(const CoTaskString&) = delete;

  LPWSTR* Put() {
    CoTaskMemFree(text_);
    text_ = nullptr;
    return &text_;
  }
  bool Empty() const { return text_ == nullptr; }
  std::wstring_view View() const { return text_ ? std::wstring_view(text_) : std::wstring_view(); }
  const wchar_t* Get() const { return text_; }

 private:
  LPWSTR text_ = nullptr;
};

}  // namespace vantor
