#include "app/startup_win.h"

#include "app/messages_win.h"
#include "app/update_windows_win.h"
#include "common/co_task_string_win.h"
#include "common/files.h"
#include "common/hresult_win.h"
#include "common/log.h"
#include "common/text.h"
#include "common/version.h"
#include "config/browser_options.h"

namespace vantor {

void OpenProgramLog() {
  // Beside config.json, or the user's own folder when the program's folder
  // cannot be written (installed under Program Files, for example).
  std::vector<std::filesystem::path> folders = {std::filesystem::path(GetExecutableFolder())};
  const std::filesystem::path own = LocalAppDataFolder();
  if (!own.empty()) folders.push_back(own);
  applog::Open(folders);
  applog::Write(std::string("Vantor ") + kVersion + " starting");
}

void WindowsStartup::CreateUpdater() {
  updater_ = std::make_shared<UpdaterParts>(std::filesystem::path(GetExecutableFolder()), server_);
}

bool WindowsStartup::CheckForUpdate() {
  Updater& updater = updater_->updater;
  const auto outcome = CheckWithWindow(updater.Server(), updater.version);
  if (!outcome) {
    applog::Write("update check: the player started without waiting for it");
    return false;
  }
  return updater.TakeAnswer(*outcome);
}

void WindowsStartup::InstallUpdate() {
  const std::shared_ptr<UpdaterParts> parts = updater_;
  InstallWithWindow(
      [parts](DownloadProgress& progress) { return parts->updater.InstallUpdate(progress); });
}

std::string WindowsStartup::UpdaterVersion() { return updater_->updater.version; }

void WindowsStartup::DestroyUpdater() { updater_.reset(); }

bool WindowsStartup::LastUpdateIncomplete() { return updater_->updater.lastUpdateIncomplete; }

bool WindowsStartup::LastUpdateUndone() { return updater_->updater.lastUpdateUndone; }

bool WindowsStartup::AnotherStartIsUpdating() { return updater_->updater.anotherStartIsUpdating; }

int WindowsStartup::ShowMessage(const std::wstring& text, const std::wstring& caption,
                                unsigned style) {
  return vantor::ShowMessage(text.c_str(), caption.c_str(), style);
}

Config& WindowsStartup::LoadConfig() {
  return *new Config();  // lives until the process ends
}

void WindowsStartup::SetBrowserLaunchOptions(std::wstring_view arguments, const Config& config) {
  vantor::SetBrowserLaunchOptions(arguments, config);
}

bool WindowsStartup::LoadWebViewLoader() {
  HRESULT error = S_OK;
  loader_ = WebViewLoader::Load(GetExecutableFolder(), error);
  if (!loader_) {
    Succeeded(error, "Loading WebView2Loader.dll from the program's folder",
              "telling the player to reinstall and ending");
  }
  return loader_ != nullptr;
}

bool WindowsStartup::WebViewRuntimeInstalled() {
  CoTaskString versionText;
  const HRESULT result = loader_->InstalledRuntimeVersion(versionText.Put());
  if (versionText.Empty()) {
    Succeeded(FAILED(result) ? result : E_POINTER, "Finding the WebView2 Runtime",
              "running its installer");
    return false;
  }
  applog::Write("WebView2 Runtime " + WideToUtf8(std::wstring(versionText.View())));
  return true;
}

std::wstring WindowsStartup::ExecutableFolder() { return GetExecutableFolder(); }

void WindowsStartup::RunAndWait(const std::wstring& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  if (process.hProcess) CloseHandle(process.hProcess);
  if (process.hThread) CloseHandle(process.hThread);
}

StartupPlatform::DpiCall WindowsStartup::SetProcessDpiAwareness(int awareness) {
  HMODULE shcore = LoadLibraryW(L"api-ms-win-shcore-scaling-l1-1-1.dll");
  if (shcore == nullptr) return DpiCall::LibraryMissing;
  using SetAwareness = HRESULT(WINAPI*)(int);
  auto set = reinterpret_cast<SetAwareness>(
      reinterpret_cast<void*>(GetProcAddress(shcore, "SetProcessDpiAwareness")));
  if (set == nullptr) return DpiCall::FunctionMissing;
  set(awareness);
  return DpiCall::Called;
}

void WindowsStartup::SetProcessDPIAware() {
  HMODULE user32 = LoadLibraryW(L"user32.dll");
  if (user32 == nullptr) return;
  using SetAware = BOOL(WINAPI*)();
  auto set = reinterpret_cast<SetAware>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
  if (set != nullptr) set();
}

void WindowsStartup::CreateClientWindow(Config& config, std::wstring version) {
  window_ = std::make_unique<ClientWindow>(config, std::move(version), *loader_);
}

int WindowsStartup::RunClientWindow() {
  const int code = window_->Run();
  window_.reset();  // only after the loop, which reads the object to the end
  return code;
}

}  // namespace vantor
