#pragma once

#include "update/finish_request.h"
#include "update/interrupted_install.h"

namespace vantor {

// The process that finishes an update from inside staging: it waits for the
// program that handed over to end, so that the program file can be
// replaced, finishes (or else undoes) the update under the installation
// lock, and starts the program; its exit code is 0. `tellPlayer` shows a
// message when the update was undone or had to be set aside.
int RunFinisher(const FinishRequest& request, void (*tellPlayer)(InstallRecovery::Outcome));

}  // namespace vantor
