#include <objbase.h>
#include <windows.h>

#include "app/messages_win.h"
#include "app/startup.h"
#include "app/startup_win.h"
#include "app/update_windows_win.h"
#include "common/log.h"
#include "update/finisher_win.h"

namespace {

// COM for the UI thread, for the process's whole run: WebView2 and the
// shell's stream calls want a single-threaded apartment.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace

// The process entry point: the start-up sequence over the real platform. The
// only place the process's exit code is decided.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  // A copy of the program in staging, finishing an update.
  if (const auto request = vantor::ReadFinishRequest(commandLine ? commandLine : L"")) {
    return vantor::RunFinisher(*request, [](vantor::InstallRecovery::Outcome outcome) {
      vantor::ShowMessage(outcome == vantor::InstallRecovery::Outcome::Undone
                              ? vantor::kUpdateUndoneText
                              : vantor::kUpdateIncompleteText,
                          vantor::kUpdateIncompleteCaption, vantor::kWarningStyle);
    });
  }
  vantor::OpenProgramLog();
  ComApartment com;
  if (FAILED(com.Result())) {
    vantor::applog::Failure("Initialising COM", static_cast<std::uint32_t>(com.Result()), "ending");
    vantor::ShowWarning(L"Vantor could not start: Windows refused to initialise COM.");
    return 1;
  }
  int code = 0;
  {
    vantor::WindowsStartup platform;
    code = vantor::RunStartup(platform, commandLine ? commandLine : L"");
  }
  vantor::applog::Write("Vantor ending with code " + std::to_string(code));
  // An update check or download the player did not wait for may still run:
  // end it with the process rather than tear down what it uses.
  if (vantor::UpdateWorkersRunning() > 0) ExitProcess(static_cast<UINT>(code));
  return code;
}
