#pragma once

#include <string>

namespace vantor {

// The self-updater, alive only through start-up. Paths are narrow (the ANSI
// code page on Windows), as the update archive's calls expect.
class Updater {
 public:
  Updater();

  // True when the update server offers a newer build; sets downloadUrl.
  bool CheckForUpdate();
  // Downloads and installs the offered build, then restarts the program.
  void InstallUpdate();

  std::string version;        // the running program's version
  std::string updateZipPath;  // "<exe folder>\update.zip"
  std::string downloadUrl;    // empty until a check got an answer
};

}  // namespace vantor
