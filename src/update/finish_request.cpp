#include "update/finish_request.h"

namespace vantor {

namespace {

std::wstring_view SkipBlanks(std::wstring_view text) {
  while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
  return text;
}

}  // namespace

std::wstring FinisherArguments(const FinishRequest& request) {
  std::wstring arguments = kFinishSwitch;
  arguments += L' ';
  arguments += std::to_wstring(request.parentId);
  if (!request.programArguments.empty()) arguments += L' ' + request.programArguments;
  return arguments;
}

std::optional<FinishRequest> ReadFinishRequest(std::wstring_view arguments) {
  arguments = SkipBlanks(arguments);
  const std::wstring_view finishSwitch = kFinishSwitch;
  if (arguments.substr(0, finishSwitch.size()) != finishSwitch) return std::nullopt;
  arguments.remove_prefix(finishSwitch.size());
  if (arguments.empty() || (arguments.front() != L' ' && arguments.front() != L'\t')) {
    return std::nullopt;
  }
  arguments = SkipBlanks(arguments);
  std::uint64_t id = 0;
  size_t digits = 0;
  for (; digits < arguments.size() && arguments[digits] >= L'0' && arguments[digits] <= L'9';
       ++digits) {
    id = id * 10 + static_cast<std::uint64_t>(arguments[digits] - L'0');
    if (id > 0xFFFFFFFFu) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  FinishRequest request;
  request.parentId = static_cast<std::uint32_t>(id);
  const std::wstring_view rest = arguments.substr(digits);
  if (!rest.empty() && rest.front() != L' ' && rest.front() != L'\t') return std::nullopt;
  request.programArguments = std::wstring(SkipBlanks(rest));
  return request;
}

std::wstring_view ArgumentsAfterProgram(std::wstring_view commandLine) {
  size_t end = 0;
  if (!commandLine.empty() && commandLine.front() == L'"') {
    end = commandLine.find(L'"', 1);
    end = end == std::wstring_view::npos ? commandLine.size() : end + 1;
  } else {
    end = commandLine.find_first_of(L" \t");
    if (end == std::wstring_view::npos) end = commandLine.size();
  }
  return SkipBlanks(commandLine.substr(end));
}

}  // namespace vantor
