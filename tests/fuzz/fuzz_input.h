#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantor::fuzz {

// Fuzzer bytes as UTF-16 code units, two bytes each, so every code unit the
// page or a URI can hold (lone surrogates included) is reachable.
inline std::wstring WideFromBytes(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  }
  return text;
}

}  // namespace vantor::fuzz
