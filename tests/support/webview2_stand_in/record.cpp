#include "record.h"

#include <cstdio>
#include <mutex>

namespace standin {

namespace {

HANDLE g_file = INVALID_HANDLE_VALUE;
std::mutex g_lock;
DWORD g_uiThread = 0;

std::string Escaped(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(c));
      out += escape;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

void OpenRecord() {
  wchar_t path[MAX_PATH * 4];
  if (!GetEnvironmentVariableW(L"VANTOR_STAND_IN_RECORD", path, MAX_PATH * 4)) return;
  g_file =
      CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void WriteLine(std::string_view line) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_file == INVALID_HANDLE_VALUE) return;
  std::string whole(line);
  whole += '\n';
  DWORD written = 0;
  WriteFile(g_file, whole.data(), static_cast<DWORD>(whole.size()), &written, nullptr);
}

std::string Text(const wchar_t* text) {
  if (text == nullptr) return "(null)";
  const int length = static_cast<int>(wcslen(text));
  if (length == 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
  return Escaped(utf8);
}

std::string Text(std::string_view text) { return Escaped(text); }

std::string Hex(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", value);
  return text;
}

std::string Bytes(const std::string& bytes) { return Escaped(bytes); }

void SetUiThread() {
  if (g_uiThread == 0) g_uiThread = GetCurrentThreadId();
}

bool OnUiThread() { return g_uiThread == 0 || GetCurrentThreadId() == g_uiThread; }

}  // namespace standin
