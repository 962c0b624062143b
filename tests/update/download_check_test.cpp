#include "update/download_check.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace vantor {
namespace {

TEST(ContentLength, ReadFromTheResponseHeaders) {
  const struct {
    const char* headers;
    std::optional<std::uint64_t> length;
  } table[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 1234\r\nContent-Type: application/zip\r\n\r\n", 1234},
      {"HTTP/1.1 200 OK\r\ncontent-length:7\r\n", 7},
      {"HTTP/1.1 200 OK\nCONTENT-LENGTH:  0  \n", 0},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", std::nullopt},
      {"HTTP/1.1 200 OK\r\nContent-Length: 12a\r\n", std::nullopt},
      {"HTTP/1.1 200 OK\r\nContent-Length: -5\r\n", std::nullopt},
      {"HTTP/1.1 200 OK\r\nContent-Length:\r\n", std::nullopt},
      {"HTTP/1.1 200 OK\r\nX-Content-Length: 5\r\n", std::nullopt},
      {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& row : table) EXPECT_EQ(ContentLengthOf(row.headers), row.length) << row.headers;
}

TEST(DownloadProblem, OnlyAWhole200Counts) {
  const struct {
    DownloadResult result;
    std::uint64_t received;
    const char* problem;
  } table[] = {
      {{true, 0, 200, 1000}, 1000, ""},
      {{true, 0, 200, std::nullopt}, 1000, ""},  // no length announced: nothing to compare
      {{true, 0, 200, 1000}, 600, "600 of 1000 bytes arrived"},
      {{true, 0, 200, 1000}, 1001, "1001 of 1000 bytes arrived"},
      {{true, 0, 404, 22}, 22, "the server answered 404"},
      {{true, 0, 206, 1000}, 1000, "the server answered 206"},
      {{true, 0, 0, std::nullopt}, 1000, "the download gave no HTTP status"},
      {{false, 0x800C0005, 0, std::nullopt}, 0, "the download failed: 0x800C0005"},
      {{false, 0x80004004, 200, 1000}, 1000, "the download failed: 0x80004004"},
  };
  for (const auto& row : table) {
    EXPECT_EQ(DownloadProblem(row.result, row.received), row.problem) << row.problem;
  }
}

TEST(FileSha256, TheStandardsVectorsAndAnUnreadableFile) {
  test::TempFolder folder;
  test::WriteBytes(folder / "abc", "abc");
  test::WriteBytes(folder / "empty", "");
  EXPECT_EQ(FileSha256(folder / "abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(FileSha256(folder / "empty"),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(FileSha256(folder / "absent"), "");
  // Larger than any read buffer: 1 MiB and one byte of 'v'.
  test::WriteBytes(folder / "big", std::string((1 << 20) + 1, 'v'));
  EXPECT_EQ(FileSha256(folder / "big"),
            "1c280ac34def265c9d1e0b97babb37a422887ad76c0cffd9c6fa99acdceeb1cd");
}

}  // namespace
}  // namespace vantor
