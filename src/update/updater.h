#pragma once

#include <filesystem>
#include <string>

#include "update/download_check.h"
#include "update/download_progress.h"
#include "update/install_layout.h"
#include "update/update_offer.h"

namespace vantor {

// What the updater needs from the operating system; the Windows layer
// implements it and the tests fake it.
class UpdaterPlatform {
 public:
  virtual ~UpdaterPlatform() = default;
  // Ends every process of exactly this file name except the current one, and
  // waits briefly for each to go so that its files unlock.
  virtual void EndOtherProcessesNamed(const std::wstring& exeName) = 0;
  // Downloads the URL to the file, replacing it, and says what the server
  // answered; reports its progress as bytes arrive and stops soon after the
  // player cancelled.
  virtual DownloadResult Download(const std::string& url, const std::filesystem::path& file,
                                  DownloadProgress& progress) = 0;
  // Starts the program with this process's whole command line, then ends this
  // process with exit code 0. Returns only in tests (and the caller goes on).
  virtual void Restart(const std::filesystem::path& program) = 0;
  // The lock that every process changing the program's folder holds, let go
  // of at UnlockInstallation or when the process ends. TryLockInstallation
  // takes it only when it is free at once; LockInstallation waits a bounded
  // time for another to let it go. By default nothing else changes the
  // folder (the tests).
  virtual bool TryLockInstallation(const std::filesystem::path& folder) {
    (void)folder;
    return true;
  }
  virtual void LockInstallation(const std::filesystem::path& folder) { (void)folder; }
  virtual void UnlockInstallation() {}
  // Whether the copy of the program that finishes an update in this folder
  // still runs (it may not hold the lock yet, or no longer).
  virtual bool FinisherRunning(const std::filesystem::path& folder) {
    (void)folder;
    return false;
  }
  // Starts a copy of this program from the staging folder that waits for
  // this process to end, finishes the update there (the program file among
  // it) and starts the program; then ends this process with exit code 0.
  // False when the copy cannot be started; returns true only in tests.
  virtual bool HandOffToFinisher(const std::filesystem::path& folder) = 0;
};

// Where the update check asks. The tests point it at a local server and trust
// its certificate; the program trusts the system's root certificates.
struct UpdateServer {
  std::string baseUrl = "https://update.vantor.io";
  std::string caCertFile;  // empty: the system's root certificates
};

// What the update server said: an offer, or nothing; and the line for the
// log. Asking touches nothing but the network, so any thread may ask.
struct UpdateCheckOutcome {
  std::optional<UpdateOffer> offer;
  std::string logLine;
};
UpdateCheckOutcome AskUpdateServer(const UpdateServer& server, const std::string& version);

// How an accepted update ended, when the process goes on.
struct UpdateEnd {
  enum class Kind { Restarting, HandedOff, Cancelled, NotInstalled };
  Kind kind = Kind::NotInstalled;
  std::string why;  // for the player, when not installed
};

// The self-updater, alive only through start-up. Constructing it steps
// aside when another start is putting an update in place (that one starts
// the game when done); otherwise it ends other copies of the program,
// finishes or undoes an update that a crash broke off (handing the program
// file to a process that does not run from it) and clears what an earlier
// update left behind.
class Updater {
 public:
  Updater(UpdaterPlatform& platform, std::filesystem::path programFolder, UpdateServer server = {});

  // Asks the update server; true when it offers a build (downloadUrl is set).
  // The outcome, and why there is no offer, goes to Vantor.log.
  bool CheckForUpdate() { return TakeAnswer(AskUpdateServer(server_, version)); }
  bool TakeAnswer(const UpdateCheckOutcome& outcome);
  const UpdateServer& Server() const { return server_; }
  // Downloads the offered build and installs it, all or nothing, when the
  // whole archive arrived (and has the digest the offer named); then restarts
  // the program into it. When the player cancels, or nothing could be
  // installed, the folder is as it was and this returns: the program goes
  // on with the current version.
  UpdateEnd InstallUpdate(DownloadProgress& progress);
  UpdateEnd InstallUpdate() {
    DownloadProgress progress;
    return InstallUpdate(progress);
  }

  std::string version;                  // the running program's version
  std::filesystem::path updateZipPath;  // "<program folder>/update.zip"
  std::string downloadUrl;              // the offered archive's URL, without a fragment
  std::string expectedSha256;           // the digest the offer named, or empty
  // An interrupted update could be neither finished nor undone and was set
  // aside: the player is told, and the next update repairs the folder.
  bool lastUpdateIncomplete = false;
  // An accepted update could not be finished and the old release was put back.
  bool lastUpdateUndone = false;
  // Another start holds the folder while it puts an update in place: this
  // start touched nothing and ends.
  bool anotherStartIsUpdating = false;

 private:
  std::string RefuseDownload(const DownloadResult& result) const;
  UpdateEnd DownloadAndInstall(DownloadProgress& progress);
  UpdateEnd Cancelled(const std::filesystem::path& download);
  // True when this start may work in the folder; false when another start
  // or a finisher is putting an update in place.
  bool TakeFolder();
  // True only when the finisher took over (in tests: the process ends).
  bool Recover();

  UpdaterPlatform& platform_;
  std::filesystem::path folder_;
  UpdateServer server_;
};

}  // namespace vantor
