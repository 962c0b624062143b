// The record the tests read: one line per call, event, response, breach or
// leak, fields separated by tabs, control characters escaped as \xNN.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace standin {

void OpenRecord();
void WriteLine(std::string_view line);

// Field helpers: UTF-8 with control characters escaped.
std::string Text(const wchar_t* text);
std::string Text(std::string_view text);
std::string Hex(unsigned long value);
std::string Bytes(const std::string& bytes);

// The UI thread is the one that asked for the environment; a call from any
// other thread is a breach.
void SetUiThread();
bool OnUiThread();

template <typename... Fields>
void Record(std::string_view kind, const Fields&... fields) {
  std::string line(kind);
  ((line += '\t', line += fields), ...);
  WriteLine(line);
}

}  // namespace standin
