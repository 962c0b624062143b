#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "config/config.h"
#include "support/temp_folder.h"

namespace vantor::test {

// A Config over "config.json" in a fresh folder, optionally written first.
class ConfigFixture : public ::testing::Test {
 protected:
  std::filesystem::path SettingsPath() const { return folder / "config.json"; }

  Config& LoadWith(const std::string& fileBytes) {
    WriteBytes(SettingsPath(), fileBytes);
    return Load();
  }
  Config& Load() {
    config = std::make_unique<Config>(SettingsPath());
    return *config;
  }
  std::string FileBytes() const { return ReadBytes(SettingsPath()); }
  bool FileThere() const { return std::filesystem::exists(SettingsPath()); }

  TempFolder folder;
  std::unique_ptr<Config> config;
};

}  // namespace vantor::test
