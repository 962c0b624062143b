#include "webhost/resource_swapper.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "common/text.h"

namespace vantor {
namespace {

const std::wstring kOrigin = L"https://vantor.io";
const std::wstring kHost = L"vantor.io";

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

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
      {L"https://www." + kHost + L"/a.png?u=" + kHost + L"/y.png", L"a.png"},  // the first
      {kOrigin + L"/x/" + kHost + L"/z.css?q", L"x/" + kHost + L"/z.css"},
      {L"https://other.example/x?u=" + kHost + L"/y.png", L""},  // not the game's
      {L"https://other.example/" + kHost + L"/z.css?q", L""},
      {L"https://evil" + kHost + L"/a.png", L""},
      {L"https://" + kHost + L":443/a.png", L""},
      {kOrigin + L"/a%20b.png", L"a%20b.png"},
      {kOrigin + L"/a.png#frag", L"a.png#frag"},
      {L"HTTPS://" + kHost + L"/A.PNG", L"A.PNG"},
      {L"http://" + kHost + L"/a.png", L""},
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
  EXPECT_EQ(ConfineToSwapFolder(L"docs/Read Me.txt"), std::wstring(L"docs\\Read Me.txt"));
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
      L"con.min.js",
      L"js/nul.tar.gz",
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

TEST(ConfineToSwapFolder, RefusesEveryReservedDeviceName) {
  const wchar_t* const devices[] = {
      L"CON",       L"PRN",       L"AUX",    L"NUL",       L"COM0",      L"COM1",      L"COM2",
      L"COM3",      L"COM4",      L"COM5",   L"COM6",      L"COM7",      L"COM8",      L"COM9",
      L"LPT0",      L"LPT1",      L"LPT2",   L"LPT3",      L"LPT4",      L"LPT5",      L"LPT6",
      L"LPT7",      L"LPT8",      L"LPT9",   L"COM\u00B9", L"COM\u00B2", L"COM\u00B3", L"LPT\u00B9",
      L"LPT\u00B2", L"LPT\u00B3", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* device : devices) {
    const std::wstring name = device;
    for (const std::wstring& path : {name, name + L".png", L"img/" + name + L".js", Lower(name)}) {
      EXPECT_EQ(ConfineToSwapFolder(path), std::nullopt) << WideToUtf8(path);
    }
  }
  // Names that only look like devices are ordinary files.
  for (const wchar_t* path : {L"COM10.png", L"LPTX.png", L"console.js", L"nul1.txt", L"COM"}) {
    EXPECT_EQ(ConfineToSwapFolder(path), std::wstring(path)) << WideToUtf8(path);
  }
}

TEST(SwapResponse, HeadersAreExactlyTwoLines) {
  EXPECT_EQ(SwapResponseHeaders(),
            L"access-control-allow-origin: " + kOrigin +
                L"\naccess-control-expose-headers: Content-Length, Content-Type, Date, Server, "
                L"Transfer-Encoding, X-GUploader-UploadID, X-Google-Trace");
}

// The runtime's rule for resource filters: "*" any run of characters, "?"
// exactly one, everything else itself.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view text) {
  if (pattern.empty()) return text.empty();
  if (pattern[0] == L'*') {
    for (size_t skip = 0; skip <= text.size(); ++skip) {
      if (WildcardMatch(pattern.substr(1), text.substr(skip))) return true;
    }
    return false;
  }
  if (text.empty() || (pattern[0] != L'?' && pattern[0] != text[0])) return false;
  return WildcardMatch(pattern.substr(1), text.substr(1));
}

TEST(SwapFilter, SelectsExactlyTheUrisWithTheMarker) {
  EXPECT_EQ(SwapFilterPattern(), L"*vantor.io/*");
  const std::wstring corpus[] = {
      L"https://vantor.io/",
      L"https://vantor.io/img/a.png?v=3",
      L"https://vantor.io",
      L"https://vantor.io:443/a.png",
      L"https://cdn.vantor.io/js/game.js",
      L"https://other.example/x?u=vantor.io/y.png",
      L"https://other.example/vantor.io/z.css",
      L"https://VANTOR.IO/a.png",
      L"https://vantor.iox/a.png",
      L"https://vantorxio/a.png",
      L"https://vantor.io?x=/a",
      L"https://analytics.example/collect?id=vantor.io",
      L"data:text/plain,vantor.io/",
      L"",
      L"vantor.io/",
  };
  int selected = 0;
  for (const std::wstring& uri : corpus) {
    const bool markerTest = uri.find(L"vantor.io/") != std::wstring::npos;
    EXPECT_EQ(WildcardMatch(SwapFilterPattern(), uri), markerTest) << uri.size();
    selected += markerTest;
  }
  EXPECT_EQ(selected, 7);
}

// A swap folder in memory that counts what was asked of it.
class CountingSwapFolder final : public SwapFolderAccess {
 public:
  std::wstring DocumentsFolder() override {
    ++documentLookups;
    return documents;
  }
  bool FolderExists(const std::wstring& path) override {
    folderChecks.push_back(path);
    return folders.count(path) != 0;
  }
  bool FileReadable(const std::wstring& path) override {
    fileOpens.push_back(path);
    return files.count(path) != 0;
  }

  std::wstring documents = L"C:\\Users\\p\\Documents";
  std::set<std::wstring> folders, files;
  int documentLookups = 0;
  std::vector<std::wstring> folderChecks, fileOpens;
};

constexpr wchar_t kSwap[] = L"C:\\Users\\p\\Documents\\Vantor\\ResourceSwapper";

TEST(FindSwapFile, WithoutTheFolderNoFileIsOpened) {
  CountingSwapFolder access;
  EXPECT_EQ(FindSwapFile(L"https://vantor.io/img/a.png", access), std::nullopt);
  EXPECT_EQ(access.folderChecks, std::vector<std::wstring>{kSwap});
  EXPECT_TRUE(access.fileOpens.empty());
}

TEST(FindSwapFile, AnswersFromTheFolderAndSeesChangesAtOnce) {
  CountingSwapFolder access;
  access.folders.insert(kSwap);
  const std::wstring file = std::wstring(kSwap) + L"\\img\\a.png";
  EXPECT_EQ(FindSwapFile(L"https://vantor.io/img/a.png?v=3", access), std::nullopt);
  access.files.insert(file);  // added while running: counts at the next request
  EXPECT_EQ(FindSwapFile(L"https://vantor.io/img/a.png?v=3", access), file);
  EXPECT_EQ(access.fileOpens, (std::vector<std::wstring>{file, file}));
  EXPECT_EQ(access.documentLookups, 2);
}

TEST(FindSwapFile, RequestsItCannotAnswerCostNoSystemCall) {
  CountingSwapFolder access;
  access.folders.insert(kSwap);
  for (const wchar_t* uri :
       {L"https://other.example/a.png", L"https://vantor.io/",
        L"https://vantor.io/img/../../secret.txt", L"https://vantor.io/con.js"}) {
    EXPECT_EQ(FindSwapFile(uri, access), std::nullopt);
  }
  EXPECT_EQ(access.documentLookups, 0);
  EXPECT_TRUE(access.folderChecks.empty());
  // No Documents folder: never the drive root.
  access.documents.clear();
  EXPECT_EQ(FindSwapFile(L"https://vantor.io/a.png", access), std::nullopt);
  EXPECT_TRUE(access.folderChecks.empty());
}

}  // namespace
}  // namespace vantor
