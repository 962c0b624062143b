// Runs the real Vantor.exe beside the WebView2 stand-in (a test double of the
// runtime, webview2_stand_in/) in a folder of its own, drives the stand-in
// and reads what crossed the DLL boundary.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/files.h"
#include "support/message_box.h"
#include "support/temp_folder.h"

namespace vantor::test {

// One record line, split at its tabs: {"call", "ICoreWebView2::Navigate", uri}.
using RecordLine = std::vector<std::string>;

// The lines of the given kinds ("call", "leak", "breach", ...), in order.
inline std::vector<RecordLine> Kinds(const std::vector<RecordLine>& lines,
                                     std::initializer_list<const char*> kinds) {
  std::vector<RecordLine> kept;
  for (const RecordLine& line : lines) {
    for (const char* kind : kinds) {
      if (!line.empty() && line[0] == kind) kept.push_back(line);
    }
  }
  return kept;
}

class StandInSession {
 public:
  struct Setup {
    std::string options;     // VANTOR_STAND_IN_OPTIONS
    std::string configJson;  // written as config.json first, when not empty
  };

  explicit StandInSession(Setup setup = {}) : setup_(std::move(setup)) {
    namespace fs = std::filesystem;
    const fs::path built = fs::path(GetExecutableFolder());
    fs::copy_file(built / L"program" / L"Vantor.exe", folder_.path() / L"Vantor.exe");
    fs::copy_file(built / L"stand_in" / L"WebView2Loader.dll",
                  folder_.path() / L"WebView2Loader.dll");
    if (!setup_.configJson.empty()) WriteBytes(folder_.path() / "config.json", setup_.configJson);
  }

  ~StandInSession() {
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
      }
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
  }
  StandInSession(const StandInSession&) = delete;
  StandInSession& operator=(const StandInSession&) = delete;

  // Starts Vantor.exe with the stand-in's switches in its environment, in
  // its own folder or in `workingFolder`.
  void Start(const std::filesystem::path& workingFolder = {}) {
    SetEnvironmentVariableW(L"VANTOR_STAND_IN_RECORD", RecordPath().c_str());
    SetEnvironmentVariableA("VANTOR_STAND_IN_OPTIONS", setup_.options.c_str());
    const std::wstring program = (folder_.path() / L"Vantor.exe").wstring();
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const std::filesystem::path working = workingFolder.empty() ? folder_.path() : workingFolder;
    ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, working.c_str(), &startup, &process_));
    SetEnvironmentVariableW(L"VANTOR_STAND_IN_RECORD", nullptr);
    SetEnvironmentVariableW(L"VANTOR_STAND_IN_OPTIONS", nullptr);
  }

  // Starts and waits until the web view is set up: the first navigation.
  void StartAndWaitForNavigation() {
    Start();
    ASSERT_TRUE(WaitFor({"call", "ICoreWebView2::Navigate"})) << Dump();
  }

  // Every line so far.
  std::vector<RecordLine> Lines() const {
    std::vector<RecordLine> lines;
    std::ifstream in(RecordPath(), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      RecordLine fields;
      std::istringstream split(line);
      for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
      lines.push_back(fields);
    }
    return lines;
  }

  // Waits until a line starts with these fields.
  bool WaitFor(const RecordLine& prefix, DWORD milliseconds = 20000) const {
    for (DWORD waited = 0; waited <= milliseconds; waited += 20) {
      for (const RecordLine& line : Lines()) {
        if (StartsWith(line, prefix)) return true;
      }
      if (Exited()) return false;
      Sleep(20);
    }
    return false;
  }

  // Sends one command and returns the lines it caused (between its "command"
  // and its "done" line).
  std::vector<RecordLine> Send(const std::string& command, DWORD milliseconds = 20000) {
    HWND window = CommandWindow();
    if (window == nullptr) {
      ADD_FAILURE() << "no stand-in command window";
      return {};
    }
    COPYDATASTRUCT data{};
    data.dwData = 1;
    data.cbData = static_cast<DWORD>(command.size());
    data.lpData = const_cast<char*>(command.data());
    DWORD_PTR serial = 0;
    SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_BLOCK, 10000,
                        &serial);
    const std::string number = std::to_string(serial);
    if (!WaitFor({"done", number}, milliseconds)) {
      ADD_FAILURE() << "command " << command << " did not finish\n" << Dump();
      return {};
    }
    std::vector<RecordLine> caused;
    bool inside = false;
    for (const RecordLine& line : Lines()) {
      if (StartsWith(line, {"command", number})) {
        inside = true;
      } else if (StartsWith(line, {"done", number})) {
        break;
      } else if (inside) {
        caused.push_back(line);
      }
    }
    return caused;
  }

  // The program's main window.
  HWND MainWindow() const {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"Vantor", nullptr)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == process_.dwProcessId) return window;
    }
    return nullptr;
  }

  DWORD ProcessId() const { return process_.dwProcessId; }

  // Reports the renderer unresponsive for a little over 10 s, every 2.6 s,
  // and returns the question the program then asks; null when none came.
  HWND RaiseStuckPageQuestion() {
    for (int report = 0; report < 5; ++report) {
      if (report > 0) Sleep(2600);
      Send("process-failed 2");
    }
    for (int waited = 0; waited < 5000; waited += 50) {
      HWND question = FindWindowW(L"#32770", L"The game is not responding");
      DWORD owner = 0;
      GetWindowThreadProcessId(question, &owner);
      if (question != nullptr && owner == process_.dwProcessId) return question;
      Sleep(50);
    }
    return nullptr;
  }

  // The program's message box, read and answered with OK.
  Dialog AnswerMessageBox(int milliseconds = 20000) {
    const Dialog box = WaitForDialog(process_.dwProcessId, milliseconds);
    Answer(box);
    return box;
  }

  // Closes the window as a user would and returns the exit code.
  DWORD CloseAndWait() {
    PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
    return WaitForExit();
  }

  DWORD WaitForExit(DWORD milliseconds = 20000) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) return code;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

  bool Exited() const {
    return process_.hProcess != nullptr &&
           WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
  }

  const std::filesystem::path& Folder() const { return folder_.path(); }
  std::string ConfigBytes() const { return ReadBytes(folder_.path() / "config.json"); }
  std::string LogText() const { return ReadBytes(folder_.path() / "Vantor.log"); }

  // The whole record, for failure messages.
  std::string Dump() const { return ReadBytes(RecordPath()); }

  static bool StartsWith(const RecordLine& line, const RecordLine& prefix) {
    if (line.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
      if (line[i] != prefix[i]) return false;
    }
    return true;
  }

 private:
  std::filesystem::path RecordPath() const { return folder_.path() / "stand-in-record.txt"; }

  HWND CommandWindow() const {
    const std::wstring title = std::to_wstring(process_.dwProcessId);
    for (int tries = 0; tries < 500; ++tries) {
      HWND window = FindWindowExW(HWND_MESSAGE, nullptr, L"VantorWebView2StandIn", title.c_str());
      if (window != nullptr) return window;
      Sleep(20);
    }
    return nullptr;
  }

  Setup setup_;
  TempFolder folder_;
  PROCESS_INFORMATION process_{};
};

// Nothing left referenced, released twice, called from another thread, or
// called that the program should not call.
inline void ExpectCleanRecord(const StandInSession& session) {
  EXPECT_EQ(Kinds(session.Lines(), {"leak"}), std::vector<RecordLine>{}) << session.Dump();
  EXPECT_EQ(Kinds(session.Lines(), {"breach"}), std::vector<RecordLine>{});
  EXPECT_EQ(Kinds(session.Lines(), {"unexpected"}), std::vector<RecordLine>{});
}

}  // namespace vantor::test
