#include "webhost/page_scripts.h"

namespace vantor {

std::wstring BuildVersionBanner(const std::wstring& version) {
  return kVersionBannerPrefix + version + kVersionBannerSuffix;
}

}  // namespace vantor
