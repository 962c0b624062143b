#include "common/hresult_win.h"

#include "common/log.h"

namespace vantor {

bool Succeeded(HRESULT result, std::string_view what, std::string_view whatIsDoneNext) {
  if (SUCCEEDED(result)) return true;
  applog::Failure(what, static_cast<std::uint32_t>(result), whatIsDoneNext);
  return false;
}

}  // namespace vantor
