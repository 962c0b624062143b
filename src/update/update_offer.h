#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The update check's User-Agent, as the server has always seen it.
inline constexpr char kUpdateCheckUserAgent[] = "cpp-httplib/0.9";

// "/v2/index.php?v=" followed by the running version.
std::string UpdateRequestPath(std::string_view version);

// A build the update server offers.
struct UpdateOffer {
  std::string url;     // what is downloaded: never with a fragment
  std::string sha256;  // 64 lower-case hex digits, or empty when none was named
};

// The update server's answer read: an offer, or why there is none.
struct UpdateAnswer {
  std::optional<UpdateOffer> offer;
  std::string whyNot;  // for the log; empty with an offer
};

// An offer only when the status is 200 and the body, white space around it
// aside, is one https URL; "0", an empty body, an error page or any other
// status offer nothing, so a failure is never shown to the user as an update.
// A fragment "#sha256=" and 64 hex digits (either case) names the archive's
// digest; any other fragment refuses the offer, as its archive could not be
// checked the way the server meant.
UpdateAnswer ReadUpdateAnswer(int status, std::string_view body);

}  // namespace vantor
