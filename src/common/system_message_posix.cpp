#include "common/log.h"

namespace vantor {

// Only Windows has texts for HRESULTs; the code itself is always logged.
std::string SystemMessage(std::uint32_t) { return {}; }

}  // namespace vantor
