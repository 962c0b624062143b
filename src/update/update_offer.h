#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// "/v2/index.php?v=" followed by the running version.
std::string UpdateRequestPath(std::string_view version);

// What the update server's answer offers: the archive's URL when the status
// is 200 and the body, white space around it aside, is one https URL.
// "0", an empty body, an error page or any other status offer nothing, so a
// failure is never shown to the user as an update.
std::optional<std::string> UpdateOfferFrom(int status, std::string_view body);

}  // namespace vantor
