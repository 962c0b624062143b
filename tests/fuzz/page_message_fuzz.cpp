// Page messages: whatever a page posts, the dispatcher picks at most one
// effect, and a setting message splits into a key without "_" and its value.
#include <cstdlib>

#include "common/game_origin.h"
#include "common/text.h"
#include "fuzz_input.h"
#include "webhost/page_messages.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantor;
  const std::wstring text = fuzz::WideFromBytes(data, size);
  const PageMessage message = ParsePageMessage(text);
  if (message.kind == PageMessageKind::SettingChange) {
    Check(text.rfind(L"clientSettings_", 0) == 0);
    const std::wstring_view rest = message.rest;
    const SettingChange change = ParseSettingChange(rest);
    Check(change.key.find('_') == std::string::npos);
    const size_t split = rest.find(L'_');
    if (split != std::wstring_view::npos) {
      Check(std::wstring(rest.substr(split + 1)) == change.value);
    } else {
      Check(std::wstring(rest) == change.value);
    }
  }
  if (message.kind == PageMessageKind::Ignored) Check(message.rest.empty());
  (void)IsGameUri(text);
  return 0;
}
