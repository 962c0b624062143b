#include "webhost/resource_swapper.h"

#include <gtest/gtest.h>

#include "common/constants.h"

namespace vantor {
namespace {

const std::wstring kOrigin = kGameOrigin;
const std::wstring kHost = kOrigin.substr(kOrigin.find(L"://") + 3);

TEST(UriToRelativePath, MapsThePathAfterTheGameHost) {
  struct {
    std::wstring uri;
    std::wstring relative;
  } const table[] = {
      {kOrigin + L"/img/a.png?v=3", L"img/a.png"},
      {kOrigin + L"/img/a.png", L"img/a.png"},
      {kOrigin + L"/", L""},
      {kOrigin + L"/?v=1", L""},
      {kOrigin, L""},  // no slash after the host: no marker
      {L"https://cdn." + kHost + L"/js/game.js", L"js/game.js"},
      {L"https://other.example/x?u=" + kHost + L"/y.png", L"y.png"},
      {L"https://other.example/" + kHost + L"/z.css?q", L"z.css"},
      {L"https://" + kHost + L":443/a.png", L""},
      {kOrigin + L"/a%20b.png", L"a%20b.png"},
      {kOrigin + L"/a.png#frag", L"a.png#frag"},
      {L"HTTPS://" + kHost + L"/A.PNG", L"A.PNG"},
      {L"https://other.example/a.png", L""},
      {kOrigin + L"/a/b/c.json?x=1?y=2", L"a/b/c.json"},
  };
  for (const auto& row : table)
    EXPECT_EQ(UriToRelativePath(row.uri), row.relative) << row.uri.size();
}

TEST(ConfineToSwapFolder, KeepsOrdinaryPathsWithBackslashes) {
  EXPECT_EQ(ConfineToSwapFolder(L"img/a.png"), std::wstring(L"img\\a.png"));
  EXPECT_EQ(ConfineToSwapFolder(L"a%20b.png"), std::wstring(L"a%20b.png"));
  EXPECT_EQ(ConfineToSwapFolder(L"sounds/v2/tick_0.mp3"), std::wstring(L"sounds\\v2\\tick_0.mp3"));
  EXPECT_EQ(ConfineToSwapFolder(L".well-known/x"), std::wstring(L".well-known\\x"));
  EXPECT_EQ(ConfineToSwapFolder(L"console.js"), std::wstring(L"console.js"));
  EXPECT_EQ(ConfineToSwapFolder(L"com10.png"), std::wstring(L"com10.png"));
}

// Paths a page, a query string or another site could produce. None may name
// anything outside the swap folder, nor a device.
TEST(ConfineToSwapFolder, RefusesEveryHostilePath) {
  const std::wstring hostile[] = {
      L"",
      L"../secret.txt",
      L"..\\secret.txt",
      L"img/../../secret.txt",
      L"img\\..\\..\\secret.txt",
      L"./a.png",
      L"img/./a.png",
      L"..",
      L".",
      L"/etc/passwd",
      L"\\Windows\\win.ini",
      L"//server/share/a.png",
      L"\\\\server\\share\\a.png",
      L"\\\\?\\C:\\Windows\\win.ini",
      L"\\\\.\\PhysicalDrive0",
      L"C:\\Windows\\win.ini",
      L"C:/Windows/win.ini",
      L"C:secret.txt",
      L"a.png:hidden",
      L"a.png::$DATA",
      L"img//a.png",
      L"img/",
      L"a.png.",
      L"a.png ",
      L"...",
      L"img/.../a.png",
      L".. /a.png",
      L"con",
      L"CON.txt",
      L"img/nul.png",
      L"aux",
      L"prn.log",
      L"com1",
      L"LPT9.dat",
      L"con .txt",
      L"conin$",
      L"CONOUT$",
      L"com\u00B9.txt",
      L"a*.png",
      L"a?.png",
      L"a\".png",
      L"a<b>.png",
      L"a|b.png",
      std::wstring(L"a\0b.png", 7),
      L"a\tb.png",
      L"%2e%2e/ok.png/..",
  };
  int answered = 0;
  for (const auto& path : hostile) {
    if (ConfineToSwapFolder(path)) {
      ++answered;
      ADD_FAILURE() << "answered a hostile path of length " << path.size();
    }
  }
  EXPECT_EQ(answered, 0);
  EXPECT_GE(std::size(hostile), 30u);
}

TEST(SwapResponse, HeadersAreExactlyTwoLines) {
  EXPECT_EQ(SwapResponseHeaders(),
            L"access-control-allow-origin: " + kOrigin +
                L"\naccess-control-expose-headers: Content-Length, Content-Type, Date, Server, "
                L"Transfer-Encoding, X-GUploader-UploadID, X-Google-Trace");
}

}  // namespace
}  // namespace vantor
