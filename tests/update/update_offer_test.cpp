#include "update/update_offer.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(UpdateRequestPath, IsThePathAndTheVersionOnly) {
  EXPECT_EQ(UpdateRequestPath("2.0.9"), "/v2/index.php?v=2.0.9");
}

TEST(UpdateOffer, OnlyA200WithAnHttpsUrlOffersAnUpdate) {
  const std::string url = "https://downloads.vantor.io/Vantor-2.1.0-win-x64.zip";
  struct {
    int status;
    std::string body;
    std::optional<std::string> offer;
  } const table[] = {
      {200, url, url},
      {200, "  " + url + "\r\n", url},
      {200, "0", std::nullopt},
      {200, "0\n", std::nullopt},
      {200, "", std::nullopt},
      {200, "\n", std::nullopt},
      {200, "http://downloads.vantor.io/x.zip", std::nullopt},
      {200, "ftp://downloads.vantor.io/x.zip", std::nullopt},
      {200, "https://", std::nullopt},
      {200, "https:///x.zip", std::nullopt},
      {200, "HTTPS://downloads.vantor.io/x.zip", std::nullopt},
      {200, url + " " + url, std::nullopt},
      {200, "<html><body>Maintenance</body></html>", std::nullopt},
      {200, "https://x.io/\"><script>", std::nullopt},
      {404, url, std::nullopt},
      {404, "<html>Not Found</html>", std::nullopt},
      {500, "Internal Server Error", std::nullopt},
      {302, url, std::nullopt},
  };
  for (const auto& row : table) {
    EXPECT_EQ(UpdateOfferFrom(row.status, row.body), row.offer) << row.status << " " << row.body;
  }
}

}  // namespace
}  // namespace vantor
