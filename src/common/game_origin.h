#pragma once

#include <optional>
#include <string_view>

namespace vantor {

// Whether a URI is the game's: scheme "https" and the game's host or any
// subdomain of it ("www.", "cdn." and deeper), both in any case, with no
// port and no user part. Everything else (a lookalike such as
// "<host>.evil.example" or "evil<host>", another scheme) is not. The one rule
// for the page's messages and the resource swapper.
bool IsGameUri(std::wstring_view uri);

// For a game URI, what follows its host: "", or text starting with "/", "?"
// or "#". Nothing for any other URI.
std::optional<std::wstring_view> GameUriRest(std::wstring_view uri);

}  // namespace vantor
