#pragma once

#include <optional>
#include <string>

namespace vantor {

// Why the game's page cannot be reached, as the player reads it.
enum class UnreachableReason { NoNetwork, ServerSilent, NameNotFound, NotSecure };

// A failed navigation's COREWEBVIEW2_WEB_ERROR_STATUS as the log names it
// ("DISCONNECTED"), or its number when unknown.
std::string WebErrorStatusName(int status);

// Whether a failed main-document navigation to the game means that the game
// cannot be reached, and why; nothing for a navigation the player or the
// page cancelled, or one that asks for credentials.
std::optional<UnreachableReason> GameUnreachableReason(int status);

// Vantor's own page while the game cannot be reached: dark, self-contained
// (nothing from the network), the reason in words, the seconds until the
// next try counting down, and one button, "Try now", that navigates to the
// game itself. It posts nothing to the program.
std::wstring UnreachablePage(UnreachableReason reason, int secondsUntilRetry);

// When to try the game again after it could not be reached: after 2, 4, 8,
// 16 and 32 s, then every 60 s, without end; the pauses start over once the
// game loaded. A try starts only while Vantor's page waits, never over
// another navigation of the game.
class GameRetry {
 public:
  // A navigation to the game failed: Vantor's page shows, and the next try
  // is due after the returned pause.
  int Failed();
  // A navigation to the game started (a try, "Try now", F4, F5, F6, a new
  // web view): no try is due while it runs.
  void Started() { waiting_ = false; }
  // The game loaded; true when it had not been reachable before.
  bool Loaded();
  // The web view is going away or being made anew: nothing is due.
  void PageGone() { waiting_ = ownPage_ = false; }
  // The pause ended, the player asked, or the network changed: true when a
  // try starts now.
  bool TryNow();
  bool OwnPageUp() const { return ownPage_; }

 private:
  int failures_ = 0;  // since the game last loaded
  bool waiting_ = false;
  bool ownPage_ = false;
};

}  // namespace vantor
