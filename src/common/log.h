#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// "2026-12-08 07:11:30.123 text" and a line break; control characters in the
// text become blanks, so one event is always one line.
std::string FormatLogLine(const std::tm& localTime, int milliseconds, std::string_view text);

// Keeps a page (or a loop) from filling the disk through the log: a line equal
// to the one before is counted, not written, and at most `perMinute` lines are
// written in any one minute. What was held back is said once writing resumes.
class LogRateLimit {
 public:
  explicit LogRateLimit(int perMinute = 60) : perMinute_(perMinute) {}
  // The lines to write for this event (none, one, or a note and the line).
  std::vector<std::string> Admit(std::string_view text, std::int64_t nowMilliseconds);

 private:
  int perMinute_;
  std::string last_;
  int repeats_ = 0;
  std::int64_t windowStart_ = -1;
  int inWindow_ = 0;
  int dropped_ = 0;
};

// Vantor.log: appended line by line, and once it would pass `capBytes` it
// becomes Vantor.log.1 (replacing the older one) and a new file starts.
class LogFile {
 public:
  static constexpr std::uintmax_t kDefaultCap = 1024 * 1024;

  // Opens the first folder of `folders` where the log can be written.
  bool Open(const std::vector<std::filesystem::path>& folders,
            std::uintmax_t capBytes = kDefaultCap);
  void Append(const std::string& line);
  const std::filesystem::path& Path() const { return path_; }
  bool IsOpen() const { return out_.is_open(); }

 private:
  void Rotate();

  std::filesystem::path path_;
  std::ofstream out_;
  std::uintmax_t size_ = 0;
  std::uintmax_t cap_ = kDefaultCap;
  bool rotationFailed_ = false;
};

inline constexpr char kLogFileName[] = "Vantor.log";

// The program's one log. Writes may come from any thread (the update's
// workers); none throws; the mouse path never logs.
namespace applog {
bool Open(const std::vector<std::filesystem::path>& folders);
void Write(std::string_view text);
// Where the log is written; empty when no folder took it.
std::filesystem::path Path();
// "<what> failed: 0x80070005 <the system's text>. <what was done>"
void Failure(std::string_view what, std::uint32_t error, std::string_view whatWasDone);
}  // namespace applog

// The system's own text for an error code (HRESULT or Win32); empty if none.
std::string SystemMessage(std::uint32_t error);

}  // namespace vantor
