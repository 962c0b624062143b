#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// How a process hands an update's program file to the finisher: the copy of
// the program in staging starts with these arguments, waits for the process
// `parentId` to end, finishes the update and starts the program with the
// arguments the player gave it.
struct FinishRequest {
  std::uint32_t parentId = 0;
  std::wstring programArguments;
};

inline constexpr wchar_t kFinishSwitch[] = L"--finish-update";

std::wstring FinisherArguments(const FinishRequest& request);
// Nothing when the arguments are not a finisher's.
std::optional<FinishRequest> ReadFinishRequest(std::wstring_view arguments);

// A command line without its first word, the program (quoted or not), as
// Windows splits it.
std::wstring_view ArgumentsAfterProgram(std::wstring_view commandLine);

}  // namespace vantor
