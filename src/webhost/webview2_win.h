#pragma once

// The WebView2 SDK header, with what MinGW needs around it.
#include <windows.h>
// clang-format off
#include <WebView2.h>
// clang-format on

namespace vantor {

// Releases a COM reference held in a field and clears the field.
template <typename T>
void ReleaseAndClear(T*& reference) {
  if (reference != nullptr) {
    reference->Release();
    reference = nullptr;
  }
}

// Replaces a held reference with another, taking a reference to the new one.
template <typename T>
void Hold(T*& field, T* value) {
  if (value != nullptr) value->AddRef();
  ReleaseAndClear(field);
  field = value;
}

}  // namespace vantor
