#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// For a request to the game (IsGameUri: its host or a subdomain), the path
// after the host's "/" and before the first "?" that follows; empty for any
// other URI. Nothing is decoded or normalised.
std::wstring UriToRelativePath(std::wstring_view uri);

// The relative path as a path below the swap folder, with "\" separators, or
// nothing when it could leave the folder or name a device (see SafeRelativePath).
std::optional<std::wstring> ConfineToSwapFolder(std::wstring_view relativePath);

// The swap folder below the Documents folder, with a trailing separator.
inline constexpr wchar_t kSwapFolderSuffix[] = L"\\Vantor\\ResourceSwapper\\";

// The headers of every answered request: exactly these two lines.
std::wstring SwapResponseHeaders();

// The web-resource filter that selects exactly the URIs the marker test
// accepts ("*" + "<game host>/" + "*"), so no other request waits for the UI
// thread.
std::wstring SwapFilterPattern();

// What finding a swap file asks of the system, so the order and number of
// file-system checks are testable.
class SwapFolderAccess {
 public:
  virtual ~SwapFolderAccess() = default;
  // The user's Documents folder, resolved anew each time; empty when unknown.
  virtual std::wstring DocumentsFolder() = 0;
  virtual bool FolderExists(const std::wstring& path) = 0;
  // True when the file can be opened for reading.
  virtual bool FileReadable(const std::wstring& path) = 0;
};

// The file that answers a request for `uri`, or nothing (the request goes to
// the network). A URI without the marker costs no system call; while the swap
// folder does not exist, a request costs one check of the folder and never a
// file-open attempt. Nothing is cached: a file added, changed or removed
// counts from the next request.
std::optional<std::wstring> FindSwapFile(std::wstring_view uri, SwapFolderAccess& access);

}  // namespace vantor
