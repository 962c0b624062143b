#include "common/log.h"

#include <chrono>
#include <cstdio>
#include <mutex>

#include "common/text.h"

namespace vantor {

std::string FormatLogLine(const std::tm& t, int milliseconds, std::string_view text) {
  char stamp[80];  // room for any int the fields may hold
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, milliseconds);
  std::string line = stamp;
  line.reserve(line.size() + text.size() + 2);
  for (char c : text) line += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  line += "\r\n";
  return line;
}

std::vector<std::string> LogRateLimit::Admit(std::string_view text, std::int64_t now) {
  std::vector<std::string> lines;
  if (text == last_) {
    ++repeats_;
    return lines;
  }
  if (windowStart_ < 0 || now - windowStart_ >= 60000) {
    windowStart_ = now;
    inWindow_ = 0;
  }
  if (inWindow_ >= perMinute_) {
    ++dropped_;
    return lines;
  }
  if (repeats_ > 0) {
    lines.push_back("(the line before repeated " + std::to_string(repeats_) + " more times)");
  }
  if (dropped_ > 0) {
    lines.push_back("(" + std::to_string(dropped_) + " lines were not written: too many at once)");
  }
  repeats_ = dropped_ = 0;
  last_ = std::string(text);
  lines.emplace_back(text);
  inWindow_ += static_cast<int>(lines.size());
  return lines;
}

bool LogFile::Open(const std::vector<std::filesystem::path>& folders, std::uintmax_t capBytes) {
  cap_ = capBytes;
  for (const auto& folder : folders) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const auto candidate = folder / kLogFileName;
    out_.open(candidate, std::ios::binary | std::ios::app);
    if (out_.is_open()) {
      path_ = candidate;
      size_ = std::filesystem::file_size(candidate, error);
      if (error) size_ = 0;
      return true;
    }
    out_.clear();
  }
  return false;
}

void LogFile::Rotate() {
  out_.close();
  std::error_code error;
  auto previous = path_;
  previous += ".1";
  std::filesystem::rename(path_, previous, error);
  out_.clear();
  if (error) {
    // What the log holds may be what explains a problem: it grows past the
    // cap rather than being thrown away, and no rename is tried again.
    rotationFailed_ = true;
    out_.open(path_, std::ios::binary | std::ios::app);
    return;
  }
  out_.open(path_, std::ios::binary | std::ios::trunc);
  size_ = 0;
}

void LogFile::Append(const std::string& line) {
  if (!out_.is_open()) return;
  if (!rotationFailed_ && size_ > 0 && size_ + line.size() > cap_) Rotate();
  if (!out_.is_open()) return;
  out_ << line;
  out_.flush();
  size_ += line.size();
}

namespace applog {

namespace {

LogFile& File() {
  static LogFile file;
  return file;
}

LogRateLimit& Limit() {
  static LogRateLimit limit;
  return limit;
}

// The update's worker threads write too.
std::mutex& WriteLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

bool Open(const std::vector<std::filesystem::path>& folders) {
  try {
    return File().Open(folders);
  } catch (...) {
    return false;
  }
}

void Write(std::string_view text) {
  try {
    const std::lock_guard<std::mutex> hold(WriteLock());
    if (!File().IsOpen()) return;
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto milliseconds = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    const auto steady = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
    for (const std::string& line : Limit().Admit(text, steady)) {
      File().Append(FormatLogLine(local, milliseconds, line));
    }
  } catch (...) {
    // Logging never takes the program down.
  }
}

std::filesystem::path Path() {
  try {
    return File().IsOpen() ? File().Path() : std::filesystem::path();
  } catch (...) {
    return {};
  }
}

void Failure(std::string_view what, std::uint32_t error, std::string_view whatWasDone) {
  std::string text(what);
  text += " failed: ";
  text += HexCode(error);
  const std::string message = SystemMessage(error);
  if (!message.empty()) text += " " + message;
  if (!whatWasDone.empty()) {
    text += ". ";
    text += whatWasDone;
  }
  Write(text);
}

}  // namespace applog

}  // namespace vantor
