#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// What a download reported, as the platform saw it.
struct DownloadResult {
  bool completed = false;                        // the platform's call reported success
  std::uint32_t error = 0;                       // its error when it did not
  int status = 0;                                // the server's HTTP status; 0 when none was seen
  std::optional<std::uint64_t> announcedLength;  // its Content-Length, if any
};

// The Content-Length of raw response headers ("Name: value" lines, the name
// in any case); nothing when absent or not a plain decimal.
std::optional<std::uint64_t> ContentLengthOf(std::string_view headers);

// Why a download does not count, or empty when it does: it completed, the
// server answered 200, and as many bytes arrived as it announced.
std::string DownloadProblem(const DownloadResult& result, std::uint64_t receivedBytes);

// The SHA-256 of a file as 64 lower-case hex digits; empty when unreadable.
std::string FileSha256(const std::filesystem::path& file);

}  // namespace vantor
