#include "update/update_offer.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(UpdateRequestPath, IsThePathAndTheVersionOnly) {
  EXPECT_EQ(UpdateRequestPath("2.0.9"), "/v2/index.php?v=2.0.9");
}

constexpr char kUrl[] = "https://downloads.vantor.io/Vantor-2.1.0-win-x64.zip";

TEST(UpdateOffer, OnlyA200WithAnHttpsUrlOffersAnUpdate) {
  const std::string url = kUrl;
  struct {
    int status;
    std::string body;
    const char* whyNot;  // empty: offers kUrl
  } const table[] = {
      {200, url, ""},
      {200, "  " + url + "\r\n", ""},
      {200, "0", "the server offers no newer build"},
      {200, "0\n", "the server offers no newer build"},
      {200, "", "the server offers no newer build"},
      {200, "\n", "the server offers no newer build"},
      {200, "http://downloads.vantor.io/x.zip", "the answer is not one https URL"},
      {200, "ftp://downloads.vantor.io/x.zip", "the answer is not one https URL"},
      {200, "https://", "the answer is not one https URL"},
      {200, "https:///x.zip", "the answer is not one https URL"},
      {200, "HTTPS://downloads.vantor.io/x.zip", "the answer is not one https URL"},
      {200, url + " " + url, "the answer is not one https URL"},
      {200, "<html><body>Maintenance</body></html>", "the answer is not one https URL"},
      {200, "https://x.io/\"><script>", "the answer is not one https URL"},
      {200, "https://downloads.vantor.io\\x.zip", "the answer is not one https URL"},
      {200, "https://downloads.vantor.io/a b.zip", "the answer is not one https URL"},
      {200, "https://downloads.vantor.io/a\tb.zip", "the answer is not one https URL"},
      {200, "https://downloads.vantor.io/{x}.zip", "the answer is not one https URL"},
      {200, "https://downloads.vantor.io/a|b^c`d.zip", "the answer is not one https URL"},
      {200, "https://downloads.vantor.io/gr\xC3\xBCn.zip", "the answer is not one https URL"},
      {404, url, "the server answered 404"},
      {404, "<html>Not Found</html>", "the server answered 404"},
      {500, "Internal Server Error", "the server answered 500"},
      {302, url, "the server answered 302"},
  };
  for (const auto& row : table) {
    const UpdateAnswer answer = ReadUpdateAnswer(row.status, row.body);
    SCOPED_TRACE(std::to_string(row.status) + " " + row.body);
    EXPECT_EQ(answer.whyNot, row.whyNot);
    if (*row.whyNot == '\0') {
      ASSERT_TRUE(answer.offer);
      EXPECT_EQ(answer.offer->url, url);
      EXPECT_EQ(answer.offer->sha256, "");
    } else {
      EXPECT_FALSE(answer.offer);
    }
  }
}

TEST(UpdateOffer, AFragmentNamesTheDigestAndIsNeverDownloaded) {
  const std::string url = kUrl;
  const std::string lower = "3a7bd3e2360a3d29eea436fcfb7e44c735d117c42d1c1835420b6b9942dd4f1b";
  const std::string upper = "3A7BD3E2360A3D29EEA436FCFB7E44C735D117C42D1C1835420B6B9942DD4F1B";
  const char* const refused = "the offered URL's fragment is not #sha256= and 64 hex digits";
  struct {
    std::string body;
    const char* digest;  // null: refused
  } const table[] = {
      {url + "#sha256=" + lower, lower.c_str()},
      {url + "#sha256=" + upper, lower.c_str()},
      {url + "#sha256=" + lower.substr(0, 63), nullptr},         // short
      {url + "#sha256=" + lower + "0", nullptr},                 // long
      {url + "#sha256=" + lower.substr(0, 63) + "g", nullptr},   // not hex
      {url + "#sha512=" + lower + lower, nullptr},               // another algorithm
      {url + "#SHA256=" + lower, nullptr},                       // the name is exact
      {url + "#md5=d41d8cd98f00b204e9800998ecf8427e", nullptr},  //
      {url + "#", nullptr},                                      //
      {url + "#sha256=" + lower + "#sha256=" + lower, nullptr},  //
  };
  for (const auto& row : table) {
    const UpdateAnswer answer = ReadUpdateAnswer(200, row.body);
    SCOPED_TRACE(row.body);
    if (row.digest == nullptr) {
      EXPECT_FALSE(answer.offer);
      EXPECT_EQ(answer.whyNot, refused);
    } else {
      ASSERT_TRUE(answer.offer);
      EXPECT_EQ(answer.offer->url, url);
      EXPECT_EQ(answer.offer->sha256, row.digest);
    }
  }
}

}  // namespace
}  // namespace vantor
