#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "update/updater.h"

namespace vantor {

// The update check on a worker thread, so that start-up can show a window:
// none when the answer comes within half a second, else "Checking for
// updates…" with "Start without updating". Nothing when the player pressed
// it (or closed the window): the answer, whenever it comes, is ignored.
std::optional<UpdateCheckOutcome> CheckWithWindow(const UpdateServer& server,
                                                  const std::string& version);

// The update's workers the player did not wait for (a check, or a cancelled
// download still stopping); while one runs, the process ends without
// waiting for it.
std::atomic<int>& UpdateWorkersRunning();

// Runs `install` on a worker thread under the window "Vantor Update": the
// download's progress with its sizes and Cancel, then "Installing the
// update". An update that installs ends the process (the new program
// starts); one that was cancelled or failed returns, a failure told in the
// same window first, and the program goes on with the current version.
UpdateEnd InstallWithWindow(const std::function<UpdateEnd(DownloadProgress&)>& install);

}  // namespace vantor
