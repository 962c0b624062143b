#include "config/settings.h"

namespace vantor {

const Setting* FindSetting(std::string_view key) {
  for (const Setting* setting : settings::kAll) {
    if (setting->key == key) return setting;
  }
  return nullptr;
}

}  // namespace vantor
