// Prints every text the host sends into the page, as the program builds them,
// as one JSON object (UTF-8). The browser tests run these exact bytes.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

#include "common/text.h"
#include "config/config.h"
#include "webhost/game_reachability.h"
#include "webhost/page_scripts.h"
#include "webhost/settings_panel.h"

namespace {

// A settings panel for a store holding the given file content ("" for none).
std::string Panel(const std::filesystem::path& folder, const std::string& file) {
  const auto path = folder / "config.json";
  std::filesystem::remove(path);
  if (!file.empty()) {
    std::ofstream(path, std::ios::binary) << file;
  }
  return vantor::WideToUtf8(vantor::BuildSettingsPanelScript(vantor::Config(path)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: print_page_texts <scratch folder>\n";
    return 2;
  }
  const std::filesystem::path scratch = argv[1];
  std::filesystem::create_directories(scratch);
  using vantor::WideToUtf8;
  nlohmann::json texts = {
      {"S1", WideToUtf8(vantor::kPointerLockWatcherScript)},
      {"S2", WideToUtf8(vantor::kLoadObserverScript)},
      {"S3", WideToUtf8(vantor::kInputListenerScript)},
      {"S4", WideToUtf8(vantor::kResolutionClampScript)},
      {"S5", WideToUtf8(vantor::BuildVersionBanner(L"2.0.9"))},
      {"S6", WideToUtf8(vantor::kExitMenuButtonScript)},
      {"S7", WideToUtf8(vantor::kClientMenuButtonScript)},
      {"S8", WideToUtf8(vantor::kMenuTimerScript)},
      {"unreachable",
       WideToUtf8(vantor::UnreachablePage(vantor::UnreachableReason::NoNetwork, 3))},
      {"panelDefault", Panel(scratch, "")},
      {"panelChanged",
       Panel(scratch, R"({"Unlimited FPS": false, "Raw Input": true, "Sky Color": "#12ab34"})")},
  };
  std::cout << texts.dump() << "\n";
  return 0;
}
